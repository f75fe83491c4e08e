#include <CLI/CLI.hpp>
#include <iostream>

#include "disk/image_medium.h"

int main(int argc, char** argv) {
    CLI::App app{"orvalis-cli"};
    std::string path;
    auto* mk = app.add_subcommand("mkimage", "Create a blank image");
    mk->add_option("PATH", path)->required();
    CLI11_PARSE(app, argc, argv);
    std::string error;
    if (!orv::CreateBlankImage(path, error)) {
        std::cerr << error << '\n';
        return 1;
    }
    return 0;
}

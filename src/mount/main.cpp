// orvalis-mount: an Orvalis diskette as a folder, through FUSE.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/standard_streams.h"
#include "mount/background.h"
#include "mount/mount_options.h"
#include "mount/mount_run.h"

int main(int argc, char** argv) {
    if (!orv::FillClosedStandardStreams()) {
        std::fputs("orvalis-mount: /dev/null cannot be opened for a closed standard stream\n",
                   stderr);
        return orv::kNoStandardStreams;
    }
    using namespace orv::mount;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    MountOptions options;
    std::string error;
    if (!ParseMountOptions(arguments, options, error)) {
        std::fprintf(stderr, "orvalis-mount: %s\n%s", error.c_str(),
                     MountUsage("orvalis-mount").c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(MountUsage("orvalis-mount").c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("orvalis-mount %s\n", ORVALIS_VERSION);
        return 0;
    }
    // The process that stays in the background works from the root folder.
    std::error_code ec;
    const std::filesystem::path source = std::filesystem::absolute(options.source, ec);
    if (!ec) options.source = source.lexically_normal().string();
    const std::filesystem::path point = std::filesystem::absolute(options.mountPoint, ec);
    if (!ec) options.mountPoint = point.lexically_normal().string();
    if (!options.mapfile.empty()) {
        const std::filesystem::path mapfile = std::filesystem::absolute(options.mapfile, ec);
        if (!ec) options.mapfile = mapfile.lexically_normal().string();
    }

    CBackground background;
    if (!options.foreground && !background.Start(error)) {
        std::fprintf(stderr, "orvalis-mount: %s\n", error.c_str());
        return 1;
    }
    return RunMount(options, options.foreground ? nullptr : &background);
}

#include "mount/mount_options.h"

#include <sstream>

namespace orv::mount {

namespace {

// One -o argument: a comma-separated list.
void TakeOptionList(const std::string& list, MountOptions& options) {
    std::istringstream words(list);
    for (std::string option; std::getline(words, option, ',');) {
        if (option.empty()) continue;
        if (option == "rw")
            options.readWrite = true;
        else if (option == "ro")
            options.readWrite = false;
        else if (option == "filler")
            options.filler = true;
        else if (option.compare(0, 8, "mapfile=") == 0)
            options.mapfile = option.substr(8);
        else
            options.fuseOptions.push_back(option);
    }
}

}  // namespace

bool ParseMountOptions(const std::vector<std::string>& arguments, MountOptions& options,
                       std::string& error) {
    options = MountOptions{};
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "-h" || word == "--help") {
            options.help = true;
        } else if (word == "-V" || word == "--version") {
            options.version = true;
        } else if (word == "-f") {
            options.foreground = true;
        } else if (word == "-d" || word == "-odebug") {
            options.debug = true;
            options.foreground = true;
        } else if (word == "-o") {
            if (i + 1 == arguments.size()) {
                error = "-o needs a list of options";
                return false;
            }
            TakeOptionList(arguments[++i], options);
        } else if (word.size() > 2 && word.compare(0, 2, "-o") == 0) {
            TakeOptionList(word.substr(2), options);
        } else if (!word.empty() && word[0] == '-') {
            error = "unknown option " + word;
            return false;
        } else {
            positional.push_back(word);
        }
    }
    if (options.help || options.version) return true;
    if (positional.size() != 2) {
        error = positional.size() < 2 ? "SOURCE and MOUNTPOINT are needed"
                                      : "too many arguments: " + positional[2];
        return false;
    }
    options.source = positional[0];
    options.mountPoint = positional[1];
    return true;
}

std::string MountUsage(const std::string& program) {
    return "usage: " + program +
           " SOURCE MOUNTPOINT [-o OPTIONS] [-f] [-d]\n"
           "Shows the files of an Orvalis diskette as a folder. SOURCE is what drive A: takes:\n"
           "an image file (with its .faults sidecar and ddrescue mapfile), an ImageDisk file or a\n"
           "block device.\n"
           "Unmount with: fusermount3 -u MOUNTPOINT\n"
           "\n"
           "  -f          stay in the foreground (otherwise the program returns once mounted)\n"
           "  -d          libfuse's debug output; stays in the foreground\n"
           "  -o rw       files can be added (cp) and deleted (rm); read-only by default\n"
           "  -o filler   a piece that does not read reads as 'X' bytes, as a copy fills it,\n"
           "              instead of failing with EIO\n"
           "  -o mapfile=FILE  the image's GNU ddrescue mapfile (otherwise one beside the\n"
           "              image is taken, as orvalis-cli takes it)\n"
           "  -o OPTION   any other option goes to libfuse (allow_other, ...)\n"
           "  -h, --help  this text;  -V, --version  the version\n";
}

}  // namespace orv::mount

// The command line of orvalis-mount: SOURCE MOUNTPOINT [-o OPTIONS] [-f] [-d], as FUSE file
// systems take it. The options that are the program's own are taken out; every other -o option
// goes to libfuse as given.
#pragma once

#include <string>
#include <vector>

namespace orv::mount {

struct MountOptions {
    std::string source;      // what drive A: takes: an image, an ImageDisk file, a block device
    std::string mountPoint;  // the folder that shows the diskette's files
    bool foreground = false;
    bool debug = false;      // libfuse's debug output (implies the foreground)
    bool readWrite = false;  // -o rw; the default is the kernel's read-only mount
    bool filler = false;     // -o filler: unreadable pieces read as a copy fills them
    std::string mapfile;     // -o mapfile=FILE: the image's ddrescue mapfile, named
    std::vector<std::string> fuseOptions;
    bool help = false;
    bool version = false;
};

// False, with what is wrong in error, on a usage error.
bool ParseMountOptions(const std::vector<std::string>& arguments, MountOptions& options,
                       std::string& error);
std::string MountUsage(const std::string& program);

}  // namespace orv::mount

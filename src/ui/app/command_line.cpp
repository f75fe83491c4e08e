#include "ui/app/command_line.h"

#include <filesystem>

namespace orv {

namespace {

bool IsSwitch(const std::string& arg) {
    if (arg.size() < 2) return false;
    if (arg[0] == '-') return true;
    if (arg[0] != '/') return false;
    if (arg.find('/', 1) != std::string::npos) return false;
    std::error_code ec;
    return !std::filesystem::exists(arg, ec);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool fileTaken = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--drive") {
            if (i + 1 < args.size()) {
                cl.drivePath = args[++i];
            } else {
                cl.error = "--drive needs the path of a diskette image or device.";
            }
            continue;
        }
        if (arg.rfind("--drive=", 0) == 0) {
            cl.drivePath = arg.substr(8);
            continue;
        }
        if (arg.rfind("--open=", 0) == 0) {
            cl.openPath = arg.substr(7);
            continue;
        }
        if (arg == "--open") {
            if (i + 1 < args.size()) cl.openPath = args[++i];
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            cl.help = true;
            continue;
        }
        if (arg == "--version") {
            cl.version = true;
            continue;
        }
        if (IsSwitch(arg)) {
            const std::string word = arg.substr(arg[1] == '-' ? 2 : 1);
            if (word == "Embedding" || word == "Automation") cl.splash = false;
            continue;
        }
        if (!fileTaken) {
            cl.file = arg;
            fileTaken = true;
        }
    }
    return cl;
}

std::string UsageText() {
    return "Usage: orvalis [--drive PATH] [--open=PATH] [FILE]\n"
           "Keeps files on worn 1.44 MB diskettes and rescues them from damaged ones.\n\n"
           "  --drive PATH   what is in drive A: (an image file, an ImageDisk file or a block\n"
           "                 device); default $ORVALIS_DRIVE or "
           "~/.local/share/orvalis/drive-a.img\n"
           "  --open=PATH    put PATH into drive A: and open its diskette (empty: a plain start)\n"
           "  FILE           a file to add to the diskette one second after the start\n"
           "  --help         this text\n"
           "  --version      the version\n";
}

std::string StoredFilePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path given(path);
    if (!fs::is_regular_file(given, ec)) return path;
    // The folder's entry for the file carries its stored spelling.
    const fs::path folder = given.has_parent_path() ? given.parent_path() : fs::path(".");
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename() == given.filename()) return path;
        if (fs::equivalent(entry.path(), given, ec)) {
            const fs::path stored = entry.path().filename();
            return given.has_parent_path() ? (given.parent_path() / stored).string()
                                           : stored.string();
        }
    }
    return path;
}

}  // namespace orv

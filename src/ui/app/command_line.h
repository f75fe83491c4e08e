// The command line: orvalis [--drive PATH] [--open=PATH] [FILE] [/Embedding | -Automation ...]
// or orvalis --help | --version.
#pragma once

#include <string>
#include <vector>

namespace orv {

struct CommandLine {
    std::string drivePath;  // empty: the default drive
    // --open=PATH: PATH goes into the drive and its diskette is opened, as a file manager asks
    // for the image it was told to open. An empty PATH (the menu entry's %f without a file)
    // is a plain start.
    std::string openPath;
    bool help = false;     // --help: the usage, printed; no window
    bool version = false;  // --version: the version, printed; no window
    std::string file;      // the first argument that is no switch; empty when none
    bool splash = true;    // false with the switch "Embedding" or "Automation"
    std::string error;     // a usage problem to tell the user
};

// args without the program's own name. A switch starts with "-", or with "/" when the rest is
// a single word that names no file (so "/tmp/a.txt" stays a file). The two splash switches
// match only in exactly this spelling.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The path under which a named file is stored: the folder as given, the file part as the file
// system spells it. The path unchanged when it names no file.
std::string StoredFilePath(const std::string& path);

// What --help prints.
std::string UsageText();

}  // namespace orv

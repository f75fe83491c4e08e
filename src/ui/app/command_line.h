// The command line: orvalis [--drive PATH] [FILE] [/Embedding | -Automation ...]
#pragma once

#include <string>
#include <vector>

namespace orv {

struct CommandLine {
    std::string drivePath;  // empty: the default drive
    std::string file;       // the first argument that is no switch; empty when none
    bool splash = true;     // false with the switch "Embedding" or "Automation"
    std::string error;      // a usage problem to tell the user
};

// args without the program's own name. A switch starts with "-", or with "/" when the rest is
// a single word that names no file (so "/tmp/a.txt" stays a file). The two splash switches
// match only in exactly this spelling.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The path under which a named file is stored: the folder as given, the file part as the file
// system spells it. The path unchanged when it names no file.
std::string StoredFilePath(const std::string& path);

}  // namespace orv

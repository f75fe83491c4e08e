// The commands of orvalis-cli, defined once: the program's own command line and every line of
// a batch script are parsed by the same definitions into the same arguments.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/maintenance_commands.h"
#include "cli/session.h"

namespace CLI {
class App;
}

namespace orv::cli {

enum class CommandId {
    None,
    MkImage,
    List,
    Info,
    Add,
    Copy,
    CopyTo,
    CopyAt,
    Delete,
    Format,
    Service,
    RepairCreate,
    RepairApply,
    Image,
    Merge,
    Rescue,
    Scan,
    Batch,  // the command line only
    Open,   // a batch line only, as the four below
    Close,
    Insert,
    Eject,
};

struct CommandArgs {
    std::string path;  // mkimage's PATH, the NAME of copy and copy-at, insert's PATH
    std::string target;
    std::string folder;
    std::string position;
    std::string reportPath;
    std::string reportJsonPath;
    bool mark = false;
    bool json = false;
    bool byNumber = false;  // --number: every NAME is a file number
    std::vector<std::string> files;
    std::vector<std::string> names;
    FormatArgs format;
    std::string testType;
    RepairArgs repair;
    bool keepGoing = false;
    std::string script = "-";
    int retries = 3;                  // image
    bool force = false;               // merge
    std::vector<std::string> images;  // merge's and rescue's inputs
    std::string extractDir;           // scan
    bool jsonLines = false;           // scan
    int jobs = 0;                     // scan; 0: as many as there are processors
    std::string mapfile;              // image's record; insert's mapfile
};

// Where the commands are offered: on the program's command line (with batch), or on a line of
// a batch (with open, close, insert and eject, which only make sense inside one session).
enum class CommandScope { CommandLine, BatchLine };

class CommandSet {
public:
    CommandSet(CLI::App& app, CommandScope scope);
    CommandSet(const CommandSet&) = delete;  // the parser writes into m_args by address
    CommandSet& operator=(const CommandSet&) = delete;

    // The command that the last parse chose; None before one.
    CommandId Parsed() const;
    const CommandArgs& Args() const { return m_args; }

private:
    CLI::App* Add(CLI::App& app, CommandId id, const std::string& name,
                  const std::string& description);

    CommandArgs m_args;
    std::vector<std::pair<CLI::App*, CommandId>> m_commands;
};

// The options that come before the command and hold for the whole run (or batch).
void AddGlobalOptions(CLI::App& app, GlobalOptions& options);

}  // namespace orv::cli

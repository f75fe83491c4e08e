// Format, disk service and repair files from the command line. Each returns the exit status:
// 0 ended with its results (or the diskette sound, or sector 0 repaired), 1 nothing to show.
#pragma once

#include <string>

#include "cli/session.h"

namespace orv::cli {

struct FormatArgs {
    bool full = false;
    std::string label;
    bool noLabel = false;
    bool noResults = false;
};
int FormatCommand(Session& s, const FormatArgs& args);

// test: "repair0", "test" or "full".
int ServiceCommand(Session& s, const std::string& test);

struct RepairArgs {
    std::string sectors;  // "N,N,..." as typed into the dialog's list
    std::string start = "0";
    std::string file;        // source (create) or the file to be repaired (apply)
    std::string repairFile;
};
int RepairCreateCommand(Session& s, const RepairArgs& args);
int RepairApplyCommand(Session& s, const RepairArgs& args);

}  // namespace orv::cli

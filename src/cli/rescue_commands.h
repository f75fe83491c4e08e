// The commands that rescue what a box of worn diskettes still holds: image a diskette, merge
// several reads of one, rescue a file from several copies, scan a folder of images. Each returns
// the exit status: 0 done, 1 failed, refused or interrupted (and, for rescue, pieces unread).
#pragma once

#include <string>
#include <vector>

#include "cli/scan_output.h"
#include "cli/session.h"

namespace orv::cli {

int ImageCommand(Session& s, const std::string& out, int retries, bool json,
                 const std::string& mapfile);
int MergeCommand(Session& s, const std::string& out, const std::vector<std::string>& inputs,
                 bool force);
int RescueCommand(Session& s, const std::string& name, const std::string& target,
                  const std::vector<std::string>& images, const std::string& reportPath,
                  const std::string& reportJsonPath);
struct ScanArgs {
    std::string folder;
    std::string extractDir;
    ScanFormat format = ScanFormat::Table;
    int jobs = 0;  // 0: as many as there are processors
};
int ScanCommand(Session& s, const ScanArgs& args);

}  // namespace orv::cli

// The commands that list the diskette and move files, with the batch rules of the desktop
// program's commands. Each returns the exit status: 0 done, 1 failed, refused or interrupted.
#pragma once

#include <string>
#include <vector>

#include "cli/session.h"

namespace orv::cli {

int ListCommand(Session& s, bool json);
int InfoCommand(Session& s, bool json);
int AddCommand(Session& s, const std::vector<std::string>& files);
int AddFromCommand(Session& s, const std::string& position, const std::string& file);
int CopyCommand(Session& s, const std::string& name, const std::string& target);
int CopyToCommand(Session& s, const std::string& folder, std::vector<std::string> names);
int CopyAtCommand(Session& s, const std::string& name, const std::string& target,
                  const std::string& position);
int DeleteCommand(Session& s, const std::vector<std::string>& names);

}  // namespace orv::cli

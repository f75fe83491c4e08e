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
// With byNumber every NAME is a file number (--number).
int CopyCommand(Session& s, const std::string& name, const std::string& target, bool byNumber);
// Each file gets a name of its own in the folder (CFolderCopyNames).
int CopyToCommand(Session& s, const std::string& folder, const std::vector<std::string>& names,
                  bool byNumber);
int CopyAtCommand(Session& s, const std::string& name, const std::string& target,
                  const std::string& position, bool byNumber);
int DeleteCommand(Session& s, const std::vector<std::string>& names, bool byNumber);

}  // namespace orv::cli

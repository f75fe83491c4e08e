// The files that a full test rebuilt without being sure which units are theirs: how the user
// is told about them.
#pragma once

#include <string>
#include <vector>

#include "fs/volume.h"

namespace orv {

// "name.ext (#n)" for each of the numbers that still names a file, in the order given.
std::vector<std::string> UncertainFileNames(CVolume& volume, const std::vector<int>& numbers);

// The message that names them (at most a screenful; the rest is counted).
std::string UncertainFilesMessage(const std::vector<std::string>& names);

}  // namespace orv

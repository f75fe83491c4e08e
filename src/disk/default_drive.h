// Where drive A: points when nothing else is named.
#pragma once

#include <string>

namespace orv {

// $ORVALIS_DRIVE if set, else $XDG_DATA_HOME/orvalis/drive-a.img (~/.local/share/orvalis/...).
std::string DefaultDrivePath();

// The default drive, with the image under the data folder created blank when it is missing.
// Returns false with a message when it cannot be created.
bool PrepareDefaultDrive(std::string& path, std::string& error);

}  // namespace orv

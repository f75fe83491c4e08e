// The file behind a loop device (an image attached with losetup). Another program may open that
// file as an image while this one works on the device: both are one diskette.
#pragma once

#include <string>

#include "host/unique_fd.h"

namespace orv {

// Opens, for reading, the file behind the loop device open at deviceFd, and sets path to its
// name. Invalid when the device is no loop device, or its file cannot be reached under its
// name any more (renamed, removed: then no other program can open it by that name either).
UniqueFd OpenLoopBacking(int deviceFd, std::string& path);

}  // namespace orv

// Raw block devices belong to a group (usually "disk"); a user outside it may not open a drive
// at all. The desktop can grant the device through udisks2; otherwise the user has to join the
// group, and both programs say how.
#pragma once

#include <string>

namespace orv {

// The path names a block device that this user may not open.
bool DeviceAccessDenied(const std::string& path);
// How to get lasting access: the group that owns the device and the command that joins it.
std::string DeviceAccessAdvice(const std::string& path);

}  // namespace orv

// Turning a name read from a diskette into a name for the hard disk.
#pragma once

#include <string>

namespace orv {

// A single path component that stays inside the folder it is joined to: '/' and control
// characters become '_', and "", "." and ".." get a leading '_'.
std::string SafeHostName(const std::string& diskName);

}  // namespace orv

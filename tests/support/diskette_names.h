// What a fresh look at the diskette lists, as the next session would see it.
#pragma once

#include <string>
#include <vector>

#include "disk/drive.h"

namespace orv::tests {

// The display names of the files on the diskette in the drive, in the order a listing gives
// them; a diskette that does not open fails the calling test.
std::vector<std::string> NamesOnDiskette(CDrive& drive);

}  // namespace orv::tests

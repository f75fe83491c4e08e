// The 1.44 MB drives of the machine, as the kernel lists its block devices under /sys/block: a
// removable device of 2 880 sectors. A USB floppy drive shows up as /dev/sdX.
#pragma once

#include <string>
#include <vector>

namespace orv {

struct FloppyDrive {
    std::string device;  // "/dev/sdb"
    std::string model;   // vendor and model as the drive names itself; may be empty
};

// Sorted by device name. sysRoot stands for /sys (a test gives a tree of its own).
std::vector<FloppyDrive> FindFloppyDrives(const std::string& sysRoot = "/sys");

}  // namespace orv

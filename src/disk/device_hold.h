// The hold of a block device. The flock of FileLock is on the device node's inode, and a second
// node of the same device (made with mknod, or /dev/disk/by-id/...) is another inode; so the
// device is also claimed exclusively (O_EXCL, which the kernel enforces for the device whichever
// node opens it, and which a mounted device refuses). For a loop device, the file behind it is
// locked too, as a program that opens that file as an image locks it.
#pragma once

#include <string>

#include "disk/file_lock.h"
#include "host/unique_fd.h"

namespace orv {

class DeviceHold {
public:
    DeviceHold() = default;
    DeviceHold(const DeviceHold&) = delete;
    DeviceHold& operator=(const DeviceHold&) = delete;

    // As FileLock's: wanted from now on, taken at once; false with a message for the user when
    // another program has the device, a node of it or its file.
    bool Hold(int fd, const std::string& path, std::string& error);
    void Release(int fd);
    bool Ready(int fd, const std::string& path);
    // The device was closed; the hold is taken again when it reopens.
    void Closed();

private:
    bool Take(int fd, const std::string& path, std::string& error);
    void Drop(int fd);

    FileLock m_lock;     // the node
    UniqueFd m_claim;    // the device, opened again with O_EXCL
    UniqueFd m_backing;  // a loop device's file
    FileLock m_backingLock;
    bool m_bWanted = false;
    bool m_bHeld = false;
};

}  // namespace orv

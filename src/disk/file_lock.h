// An exclusive flock(2) on an image file or device, which every Orvalis program takes before it
// works on a diskette: two programs on one image would each write a table the other never read.
#pragma once

#include <string>

namespace orv {

class FileLock {
public:
    // The lock is wanted from now on; taken at once when fd is open (-1: when it opens later).
    // False when another program holds it; holder then names it where that is known.
    bool Want(int fd, const std::string& path, std::string& holder);
    // Want, with the message for the user when another program holds it: what a medium's Lock
    // does.
    bool Hold(int fd, const std::string& path, std::string& error);
    // Gives the lock back; it is no longer wanted.
    void Release(int fd);
    // Before a request: true unless the lock is wanted and cannot be had.
    bool Ready(int fd, const std::string& path);
    // The file was closed (the lock went with it); it is taken again when the file reopens.
    void Closed() { m_bHeld = false; }

private:
    bool Take(int fd, const std::string& path, std::string& holder);
    bool m_bWanted = false;
    bool m_bHeld = false;
};

// Who holds a lock on the file at path, from /proc/locks: "process 1234, orvalis-cli", or "".
std::string LockHolder(const std::string& path);
// The message for a file that another program holds.
std::string InUseText(const std::string& path, const std::string& holder);

}  // namespace orv

#include "disk/device_hold.h"

#include <fcntl.h>

#include <cerrno>

#include "disk/loop_backing.h"
#include "host/full_io.h"

namespace orv {

bool DeviceHold::Take(int fd, const std::string& path, std::string& error) {
    if (m_bHeld || fd < 0) return true;
    std::string holder;
    if (!m_lock.Want(fd, path, holder)) {
        error = InUseText(path, holder);
        Drop(fd);
        return false;
    }
    // Opened again through our own descriptor: the very device, whatever its path names now.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    m_claim = UniqueFd(
        RetryOnSignal([&] { return ::open(self.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC); }));
    if (!m_claim.Valid() && errno == EBUSY) {
        error = path +
                " is in use by another program, or mounted.\nClose the diskette there (or "
                "unmount it) and try again.";
        Drop(fd);
        return false;
    }
    // Without /proc, or with a descriptor granted to a user who may not open the node, the
    // device goes without its claim, as a file system without locks goes without its lock.
    std::string backing;
    m_backing = OpenLoopBacking(fd, backing);
    if (m_backing.Valid() && !m_backingLock.Want(m_backing.Get(), backing, holder)) {
        error = path + " is a loop device over " + backing + ": " + InUseText(backing, holder);
        Drop(fd);
        return false;
    }
    m_bHeld = true;
    return true;
}

void DeviceHold::Drop(int fd) {
    m_backingLock.Release(m_backing.Get());
    m_backing.Reset();
    m_claim.Reset();
    m_lock.Release(fd);
    m_bHeld = false;
}

bool DeviceHold::Hold(int fd, const std::string& path, std::string& error) {
    m_bWanted = true;
    return Take(fd, path, error);
}

void DeviceHold::Release(int fd) {
    m_bWanted = false;
    Drop(fd);
}

bool DeviceHold::Ready(int fd, const std::string& path) {
    if (!m_bWanted) return true;
    std::string error;
    return Take(fd, path, error);
}

void DeviceHold::Closed() {
    m_backingLock.Release(m_backing.Get());
    m_backing.Reset();
    m_claim.Reset();
    m_lock.Closed();
    m_bHeld = false;
}

}  // namespace orv

#include "disk/file_lock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/full_io.h"

namespace orv {

bool FileLock::Take(int fd, const std::string& path, std::string& holder) {
    if (m_bHeld || fd < 0) return true;
    if (RetryOnSignal([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0) {
        m_bHeld = true;
        return true;
    }
    // A file system without locks cannot be shared safely either way; it is not refused.
    if (errno != EWOULDBLOCK) return true;
    holder = LockHolder(path);
    return false;
}

bool FileLock::Want(int fd, const std::string& path, std::string& holder) {
    m_bWanted = true;
    return Take(fd, path, holder);
}

bool FileLock::Hold(int fd, const std::string& path, std::string& error) {
    std::string holder;
    if (Want(fd, path, holder)) return true;
    error = InUseText(path, holder);
    return false;
}

void FileLock::Release(int fd) {
    m_bWanted = false;
    if (m_bHeld && fd >= 0) ::flock(fd, LOCK_UN);
    m_bHeld = false;
}

bool FileLock::Ready(int fd, const std::string& path) {
    if (!m_bWanted) return true;
    std::string holder;
    return Take(fd, path, holder);
}

std::string LockHolder(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    // "1: FLOCK  ADVISORY  WRITE 1234 08:02:131074 0 EOF"
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        fields >> number >> kind >> mode >> access >> pid >> file;
        if (kind != "FLOCK" || file != id) continue;
        std::string name;
        std::ifstream comm("/proc/" + pid + "/comm");
        std::getline(comm, name);
        return "process " + pid + (name.empty() ? "" : ", " + name);
    }
    return {};
}

std::string InUseText(const std::string& path, const std::string& holder) {
    return path + " is in use by another program" + (holder.empty() ? "" : " (" + holder + ")") +
           ".\nClose the diskette there and try again.";
}

}  // namespace orv

#include "disk/block_device_medium.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "disk/geometry.h"

namespace orv {

namespace {
constexpr std::size_t kAlign = 4096;
constexpr std::size_t kMaxRequest = std::size_t(kSectorsPerTrack) * kHeads * kSectorSize;
}  // namespace

void BlockDeviceMedium::FreeAligned::operator()(std::uint8_t* p) const {
    std::free(p);
}

BlockDeviceMedium::BlockDeviceMedium() {
    void* p = nullptr;
    if (::posix_memalign(&p, kAlign, kMaxRequest) == 0)
        m_buffer.reset(static_cast<std::uint8_t*>(p));
}

BlockDeviceMedium::~BlockDeviceMedium() = default;

bool BlockDeviceMedium::Load(const std::string& path, std::string& error) {
    m_path = path;
    if (!m_buffer) {
        error = path + ": out of memory";
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_DIRECT | O_CLOEXEC);
    m_bReadOnly = false;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
        m_bReadOnly = true;
    }
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    m_fd = UniqueFd(fd);
    std::uint64_t size = 0;
    if (::ioctl(fd, BLKGETSIZE64, &size) != 0) {
        error = path + ": cannot read the device size: " + std::strerror(errno);
        m_fd.Reset();
        return false;
    }
    if (size != std::uint64_t(kImageSize)) {
        error = path + ": the device holds " + std::to_string(size) +
                " bytes; a 1.44 MB diskette holds 1474560";
        m_fd.Reset();
        return false;
    }
    int ro = 0;
    if (::ioctl(fd, BLKROGET, &ro) == 0 && ro) m_bReadOnly = true;
    return true;
}

IoError BlockDeviceMedium::ReadCause(int error) const {
    if (error == ENOMEDIUM) return IoError::NoMedium;
    if (error == EIO || error == 0) return IoError::Unreadable;  // 0: a short read
    return IoError::HostError;
}

IoError BlockDeviceMedium::WriteCause(int error) const {
    if (error == EROFS || error == EPERM || error == EACCES) return IoError::WriteProtected;
    if (error == ENOMEDIUM) return IoError::NoMedium;
    if (error == EIO || error == 0) {
        // A drive that finds the tab set may only say "I/O error"; the kernel may know better.
        int ro = 0;
        if (::ioctl(m_fd.Get(), BLKROGET, &ro) == 0 && ro) return IoError::WriteProtected;
        return IoError::Unwritable;
    }
    return IoError::HostError;
}

bool BlockDeviceMedium::Lock(std::string& error) {
    std::string holder;
    if (m_lock.Want(m_fd.Get(), m_path, holder)) return true;
    error = InUseText(m_path, holder);
    return false;
}

void BlockDeviceMedium::Unlock() {
    m_lock.Release(m_fd.Get());
}

bool BlockDeviceMedium::Read(int first, int count, std::uint8_t* buffer) {
    m_lastError = IoError::None;
    if (!m_fd.Valid()) return Fail(IoError::NoMedium);
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    if (!IsSectorRange(first, count)) return Fail(IoError::Unreadable);
    const std::size_t n = std::size_t(count) * kSectorSize;
    if (n > kMaxRequest) {  // split long requests; the whole still fails as one
        const int half = count / 2;
        return Read(first, half, buffer) &&
               Read(first + half, count - half, buffer + std::size_t(half) * kSectorSize);
    }
    ssize_t r;
    do r = ::pread(m_fd.Get(), m_buffer.get(), n, off_t(first) * kSectorSize);
    while (r < 0 && errno == EINTR);
    if (r != ssize_t(n)) return Fail(ReadCause(r < 0 ? errno : 0));
    std::memcpy(buffer, m_buffer.get(), n);
    return true;
}

bool BlockDeviceMedium::Write(int first, int count, const std::uint8_t* buffer) {
    m_lastError = IoError::None;
    if (!m_fd.Valid()) return Fail(IoError::NoMedium);
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    if (m_bReadOnly) return Fail(IoError::WriteProtected);
    if (!IsSectorRange(first, count)) return Fail(IoError::Unwritable);
    const std::size_t n = std::size_t(count) * kSectorSize;
    if (n > kMaxRequest) {
        const int half = count / 2;
        return Write(first, half, buffer) &&
               Write(first + half, count - half, buffer + std::size_t(half) * kSectorSize);
    }
    std::memcpy(m_buffer.get(), buffer, n);
    ssize_t r;
    do r = ::pwrite(m_fd.Get(), m_buffer.get(), n, off_t(first) * kSectorSize);
    while (r < 0 && errno == EINTR);
    if (r != ssize_t(n)) return Fail(WriteCause(r < 0 ? errno : 0));
    return true;
}

}  // namespace orv

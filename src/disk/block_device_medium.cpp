#include "disk/block_device_medium.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "disk/device_access.h"
#include "disk/geometry.h"
#include "host/full_io.h"

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
    int fd = ::open(path.c_str(), O_RDWR | O_DIRECT | O_CLOEXEC);
    bool readOnly = false;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
        readOnly = true;
    }
    if (fd < 0) {
        const int cause = errno;
        error = path + ": " + std::strerror(cause);
        if (cause == EACCES || cause == EPERM) error += "\n\n" + DeviceAccessAdvice(path);
        return false;
    }
    return Attach(UniqueFd(fd), path, readOnly, error);
}

bool BlockDeviceMedium::Attach(UniqueFd fd, const std::string& path, bool readOnly,
                               std::string& error) {
    m_path = path;
    m_fd.Reset();
    m_lock.Closed();
    if (!m_buffer) {
        error = path + ": out of memory";
        return false;
    }
    // Every request must reach the medium, whoever opened the device.
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags | O_DIRECT) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::uint64_t size = 0;
    if (::ioctl(fd.Get(), BLKGETSIZE64, &size) != 0) {
        error = path + ": cannot read the device size: " + std::strerror(errno);
        return false;
    }
    if (size != std::uint64_t(kImageSize)) {
        error = path + ": the device holds " + std::to_string(size) +
                " bytes; a 1.44 MB diskette holds 1474560";
        return false;
    }
    m_bReadOnly = readOnly;
    int ro = 0;
    if (::ioctl(fd.Get(), BLKROGET, &ro) == 0 && ro) m_bReadOnly = true;
    m_fd = std::move(fd);
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
    return m_lock.Hold(m_fd.Get(), m_path, error);
}

void BlockDeviceMedium::Unlock() {
    m_lock.Release(m_fd.Get());
}

Status BlockDeviceMedium::Flush() {
    if (!m_fd.Valid()) return Fail(IoError::NoMedium);
    if (m_bReadOnly) return {};
    if (RetryOnSignal([&] { return ::fsync(m_fd.Get()); }) != 0)
        return Fail(errno == ENOMEDIUM ? IoError::NoMedium : IoError::HostError);
    return {};
}

Status BlockDeviceMedium::Read(int first, int count, std::uint8_t* buffer) {
    if (!m_fd.Valid()) return Fail(IoError::NoMedium);
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    if (!IsSectorRange(first, count)) return Fail(IoError::Unreadable);
    const std::size_t n = std::size_t(count) * kSectorSize;
    if (n > kMaxRequest) {  // split long requests; the whole still fails as one
        const int half = count / 2;
        if (const Status front = Read(first, half, buffer); !front) return front;
        return Read(first + half, count - half, buffer + std::size_t(half) * kSectorSize);
    }
    // One request, whole or failed: a short transfer is a failure of the medium.
    const ssize_t r = RetryOnSignal(
        [&] { return ::pread(m_fd.Get(), m_buffer.get(), n, off_t(first) * kSectorSize); });
    if (r != ssize_t(n)) return Fail(ReadCause(r < 0 ? errno : 0));
    std::memcpy(buffer, m_buffer.get(), n);
    return {};
}

Status BlockDeviceMedium::Write(int first, int count, const std::uint8_t* buffer) {
    if (!m_fd.Valid()) return Fail(IoError::NoMedium);
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    if (m_bReadOnly) return Fail(IoError::WriteProtected);
    if (!IsSectorRange(first, count)) return Fail(IoError::Unwritable);
    const std::size_t n = std::size_t(count) * kSectorSize;
    if (n > kMaxRequest) {
        const int half = count / 2;
        if (const Status front = Write(first, half, buffer); !front) return front;
        return Write(first + half, count - half, buffer + std::size_t(half) * kSectorSize);
    }
    std::memcpy(m_buffer.get(), buffer, n);
    const ssize_t r = RetryOnSignal(
        [&] { return ::pwrite(m_fd.Get(), m_buffer.get(), n, off_t(first) * kSectorSize); });
    if (r != ssize_t(n)) return Fail(WriteCause(r < 0 ? errno : 0));
    return {};
}

}  // namespace orv

#include "host/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/full_io.h"

namespace orv {

HostFile::~HostFile() {
    Flush();
}

bool HostFile::Open(const std::string& path, Mode mode) {
    Close();
    m_path = path;
    m_pos = m_len = 0;
    m_bWriting = m_bFailed = false;
    m_bReadOnly = mode == Mode::Read;
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::ReadWrite:
            flags |= O_RDWR;
            break;
        case Mode::CreateTruncate:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case Mode::CreateNew:
            flags |= O_RDWR | O_CREAT | O_EXCL;
            break;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return false;
    }
    m_fd = UniqueFd(fd);
    // Every byte is written before it is read, so the buffer needs no clearing.
    if (!m_buffer) m_buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize);
    return true;
}

bool HostFile::Flush() {
    if (!m_bWriting) return !m_bFailed;
    if (!m_bFailed && !WriteFully(m_fd.Get(), m_buffer.get(), m_len)) m_bFailed = true;
    m_len = 0;
    m_bWriting = false;
    return !m_bFailed;
}

bool HostFile::DropReadAhead() {
    if (m_bWriting) return Flush();
    const std::size_t unread = m_len - m_pos;
    m_pos = m_len = 0;
    return unread == 0 || ::lseek(m_fd.Get(), -off_t(unread), SEEK_CUR) >= 0;
}

bool HostFile::Seek(std::int64_t position) {
    return m_fd.Valid() && position >= 0 && DropReadAhead() &&
           ::lseek(m_fd.Get(), off_t(position), SEEK_SET) >= 0;
}

bool HostFile::SeekEnd() {
    return m_fd.Valid() && DropReadAhead() && ::lseek(m_fd.Get(), 0, SEEK_END) >= 0;
}

std::int64_t HostFile::Length() {
    struct stat st {};
    if (!m_fd.Valid() || !Flush() || ::fstat(m_fd.Get(), &st) != 0) return -1;
    return st.st_size;
}

long HostFile::Read(std::uint8_t* buffer, long n) {
    if (!m_fd.Valid() || n < 0 || !Flush()) return -1;
    long total = 0;
    while (total < n) {
        if (m_pos == m_len) {
            m_pos = m_len = 0;
            const ssize_t r =
                RetryOnSignal([&] { return ::read(m_fd.Get(), m_buffer.get(), kBufferSize); });
            if (r < 0) return total > 0 ? total : -1;
            if (r == 0) break;
            m_len = std::size_t(r);
        }
        const std::size_t k = std::min<std::size_t>(std::size_t(n - total), m_len - m_pos);
        std::memcpy(buffer + total, m_buffer.get() + m_pos, k);
        m_pos += k;
        total += long(k);
    }
    return total;
}

bool HostFile::Write(const std::uint8_t* buffer, long n) {
    if (!m_fd.Valid() || n < 0 || m_bFailed || m_bReadOnly) return false;
    if (!m_bWriting) {
        if (!DropReadAhead()) return false;
        m_bWriting = true;
    }
    long done = 0;
    while (done < n) {
        if (m_len == kBufferSize) {
            if (!Flush()) return false;
            m_bWriting = true;
        }
        const std::size_t k = std::min<std::size_t>(std::size_t(n - done), kBufferSize - m_len);
        std::memcpy(m_buffer.get() + m_len, buffer + done, k);
        m_len += k;
        done += long(k);
    }
    return true;
}

bool HostFile::Close() {
    if (!m_fd.Valid()) return true;
    const bool flushed = Flush();
    const bool closed = m_fd.Close();
    m_bFailed = false;
    return flushed && closed;
}

int ReadHostFile(HostFile& file, std::uint8_t* buffer, int n) {
    const long r = file.Read(buffer, n);
    return r > 0 ? int(r) : -1;
}

int WriteHostFile(HostFile& file, const std::uint8_t* buffer, int n) {
    return file.Write(buffer, n) ? 0 : -1;
}

namespace {

std::uint32_t ClampTime(std::int64_t t) {
    if (t < 0) return 0;
    if (t > std::int64_t(UINT32_MAX)) return UINT32_MAX;
    return std::uint32_t(t);
}

}  // namespace

bool GetHostFileStatus(const std::string& path, HostFileStatus& status) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    status.size = st.st_size;
    status.modificationTime = ClampTime(st.st_mtim.tv_sec);
    std::uint8_t attr = ATTR_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) attr |= ATTR_READONLY;
    const std::string name = std::filesystem::path(path).filename().string();
    if (!name.empty() && name[0] == '.') attr |= ATTR_HIDDEN;
    status.attributes = attr;
    return true;
}

bool SetHostFileStatus(const std::string& path, std::uint32_t modificationTime,
                       std::uint8_t attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(modificationTime), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & ATTR_READONLY)
        mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return ::chmod(path.c_str(), mode) == 0;
}

bool HostNameTaken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::int64_t HostFileSize(const std::string& path) {
    HostFileStatus status;
    return GetHostFileStatus(path, status) ? status.size : -1;
}

std::string HostDriveName(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    struct stat st {};
    while (::stat(p.c_str(), &st) != 0 && p.has_parent_path() && p != p.parent_path())
        p = p.parent_path();
    const dev_t device = st.st_dev;
    while (p.has_parent_path() && p != p.parent_path()) {
        struct stat up {};
        if (::stat(p.parent_path().c_str(), &up) != 0 || up.st_dev != device) break;
        p = p.parent_path();
    }
    return p.string();
}

std::int64_t HostFreeSpace(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (!std::filesystem::is_directory(p, ec)) p = p.parent_path();
    if (p.empty()) p = ".";
    struct statvfs vfs {};
    if (::statvfs(p.c_str(), &vfs) != 0) return -1;
    return std::int64_t(vfs.f_bavail) * std::int64_t(vfs.f_frsize);
}

bool SameHostFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace orv

#include "mount/staged_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "host/full_io.h"

namespace orv::mount {

int CStagedFile::Create(const std::string& privateFolder, std::uint64_t serial,
                        const std::string& name, mode_t mode) {
    const std::string folder = privateFolder + "/" + std::to_string(serial);
    if (::mkdir(folder.c_str(), 0700) != 0) return -errno;
    m_folder = folder;
    m_path = folder + "/" + name;
    // The add reads the file back, whatever permissions the creator asked for.
    const int fd =
        ::open(m_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, (mode & 0777) | S_IRUSR);
    if (fd < 0) {
        const int error = errno;
        Remove();
        return -error;
    }
    m_fd = UniqueFd(fd);
    return 0;
}

long CStagedFile::Write(const char* data, std::size_t size, std::int64_t offset,
                        std::int64_t capacity) {
    m_bWritten = true;
    if (m_failure != 0) return -m_failure;
    if (!m_fd.Valid()) return -EBADF;
    if (offset < m_size) return Fail(ESPIPE);
    if (offset + std::int64_t(size) > capacity) return Fail(ENOSPC);
    if (!WriteFullyAt(m_fd.Get(), data, size, off_t(offset))) return Fail(errno);
    m_size = offset + std::int64_t(size);
    return long(size);
}

long CStagedFile::Read(char* data, std::size_t size, std::int64_t offset) const {
    if (!m_fd.Valid()) return -EBADF;
    const ssize_t n = ::pread(m_fd.Get(), data, size, off_t(offset));
    return n < 0 ? -errno : long(n);
}

int CStagedFile::Truncate(std::int64_t size, std::int64_t capacity) {
    m_bWritten = true;
    if (m_failure != 0) return -m_failure;
    if (!m_fd.Valid()) return -EBADF;
    if (size > capacity) return Fail(ENOSPC);
    if (::ftruncate(m_fd.Get(), off_t(size)) != 0) return Fail(errno);
    m_size = size;
    return 0;
}

int CStagedFile::SetTimes(const struct timespec times[2]) {
    if (!m_fd.Valid()) return -EBADF;
    return ::futimens(m_fd.Get(), times) == 0 ? 0 : -errno;
}

int CStagedFile::SetMode(mode_t mode) {
    if (!m_fd.Valid()) return -EBADF;
    return ::fchmod(m_fd.Get(), (mode & 0777) | S_IRUSR) == 0 ? 0 : -errno;
}

int CStagedFile::Stat(struct stat& st) const {
    if (!m_fd.Valid()) return -EBADF;
    return ::fstat(m_fd.Get(), &st) == 0 ? 0 : -errno;
}

int CStagedFile::Finish() {
    if (!m_fd.Valid()) return -EBADF;
    return m_fd.Close() ? 0 : -errno;
}

void CStagedFile::Remove() {
    m_fd.Reset();
    if (!m_path.empty()) ::unlink(m_path.c_str());
    if (!m_folder.empty()) ::rmdir(m_folder.c_str());
    m_path.clear();
    m_folder.clear();
}

}  // namespace orv::mount

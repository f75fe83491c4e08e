#include "disk/image_medium.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "disk/ddrescue_map.h"
#include "disk/geometry.h"
#include "host/full_io.h"
#include "host/small_file.h"

namespace orv {

bool ImageMedium::LoadFaults(std::string& error) {
    m_faults.Clear();
    const std::string sidecar = FaultSidecarPath(m_path);
    std::string text;
    switch (ReadSideFile(sidecar, text, error)) {
        case SideFile::Read:
            if (!FaultMap::Parse(text, sidecar, m_faults, error)) return false;
            break;
        case SideFile::Missing:
            break;
        case SideFile::Refused:
            error += "; it is not read as the sidecar of " + m_path;
            return false;
    }
    m_mapfile = m_namedMapfile.empty() ? FindMapfile(m_path) : m_namedMapfile;
    if (m_mapfile.empty()) return true;
    struct stat st {};
    if (::stat(m_mapfile.c_str(), &st) != 0) {
        error =
            m_mapfile + ": the mapfile of " + m_path + " cannot be found: " + std::strerror(errno);
        return false;
    }
    DdrescueMap map;
    if (!ReadMapfile(m_mapfile, map, error)) {
        error += " (the ddrescue mapfile of " + m_path + ")";
        return false;
    }
    // The mapfile decides what reads; the sidecar keeps what fails writes.
    for (int s = 0; s < kSectorCount; ++s)
        m_faults.SetReadable(s, map.readable.test(std::size_t(s)));
    return true;
}

bool ImageMedium::Load(const std::string& path, std::string& error, const std::string& mapfile) {
    m_path = path;
    m_namedMapfile = mapfile;
    m_mapfile.clear();
    m_fd.Reset();
    m_lock.Closed();
    m_bReadOnly = false;
    if (!LoadFaults(error)) return false;

    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return true;  // no diskette in the drive
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    if (!SizeFits(st.st_size)) {
        error = path +
                ": a diskette image must be exactly 1474560 bytes (2880 sectors of 512), "
                "this file has " +
                std::to_string(st.st_size) + " bytes";
        if (m_mapfile.empty() && st.st_size < kImageSize)
            error +=
                " (a shorter image, as ddrescue leaves one, is taken with the mapfile that "
                "says what it holds: IMAGE.map or STEM.map beside it)";
        return false;
    }
    if (!Open()) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ImageMedium::EnsureOpen() {
    if (m_fd.Valid()) return true;
    // The diskette arrived after the drive was loaded; its faults come with it.
    std::string error;
    return LoadFaults(error) && Open();
}

bool ImageMedium::Open() {
    if (m_path.empty()) return false;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !SizeFits(st.st_size))
        return false;
    // A file without any write permission is read-only also for a user whom the system would
    // let write it (root): its owner made it so.
    m_bReadOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    int fd = m_bReadOnly ? -1 : ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (m_bReadOnly || errno == EACCES || errno == EROFS || errno == EPERM)) {
        fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        m_bReadOnly = true;
    }
    if (fd < 0) return false;
    m_fd = UniqueFd(fd);
    // What a short image lacks never reads (a partial last sector included).
    for (int s = int(st.st_size / kSectorSize); s < kSectorCount; ++s)
        m_faults.SetReadable(s, false);
    return true;
}

bool ImageMedium::SizeFits(std::int64_t size) const {
    return size == kImageSize || (!m_mapfile.empty() && size >= 0 && size < kImageSize);
}

Status ImageMedium::Read(int first, int count, std::uint8_t* buffer) {
    if (!IsSectorRange(first, count)) return Fail(IoError::Unreadable);
    if (!EnsureOpen()) return Fail(NotOpenCause());
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    if (m_faults.BlocksRead(first, count)) return Fail(IoError::Unreadable);
    const std::size_t n = std::size_t(count) * kSectorSize;
    if (ReadFullyAt(m_fd.Get(), buffer, n, off_t(first) * kSectorSize) != ssize_t(n))
        return Fail(IoError::HostError);
    return {};
}

Status ImageMedium::Write(int first, int count, const std::uint8_t* buffer) {
    if (!IsSectorRange(first, count)) return Fail(IoError::Unwritable);
    if (!EnsureOpen()) return Fail(NotOpenCause());
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    if (m_bReadOnly || m_faults.WriteProtected()) return Fail(IoError::WriteProtected);
    if (m_faults.BlocksWrite(first, count)) return Fail(IoError::Unwritable);
    if (!WriteFullyAt(m_fd.Get(), buffer, std::size_t(count) * kSectorSize,
                      off_t(first) * kSectorSize))
        // A file system remounted read-only under the image takes no write anywhere.
        return Fail(errno == EROFS ? IoError::WriteProtected : IoError::HostError);
    return {};
}

Status ImageMedium::Flush() {
    if (!m_fd.Valid()) return Fail(NotOpenCause());
    if (m_bReadOnly) return {};  // nothing was written
    int rc = RetryOnSignal([&] { return ::fdatasync(m_fd.Get()); });
    if (rc != 0) return Fail(errno == EROFS ? IoError::WriteProtected : IoError::HostError);
    return {};
}

std::string ImageMedium::WriteRefusal() const {
    return m_bReadOnly ? ReadOnlyImageText(m_path) : std::string();
}

std::string ReadOnlyImageText(const std::string& path) {
    return path +
           " is a read-only file: the diskette cannot be written.\nMake the file writable "
           "(chmod u+w), or put a copy of it that may be written into the drive.";
}

bool ImageMedium::Lock(std::string& error) {
    // An image that is not there yet is locked when it arrives (EnsureOpen, then Ready).
    return m_lock.Hold(m_fd.Get(), m_path, error);
}

void ImageMedium::Unlock() {
    m_lock.Release(m_fd.Get());
}

IoError ImageMedium::NotOpenCause() const {
    // A missing image is an empty drive; one that is there but will not open is the host's.
    struct stat st {};
    return ::stat(m_path.c_str(), &st) != 0 && errno == ENOENT ? IoError::NoMedium
                                                               : IoError::HostError;
}

bool CreateBlankImage(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path + ": " +
                (errno == EEXIST ? std::string("file already exists, not overwritten")
                                 : std::string(std::strerror(errno)));
        return false;
    }
    UniqueFd owner(fd);
    std::vector<std::uint8_t> zeros(std::size_t(kImageSize), 0);
    if (!WriteFullyAt(fd, zeros.data(), zeros.size(), 0) || !owner.Close()) {
        error = path + ": " + std::strerror(errno);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

}  // namespace orv

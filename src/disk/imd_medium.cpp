#include "disk/imd_medium.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "host/full_io.h"

namespace orv {

namespace {

// ImageDisk writes well under 2 MB for a 1.44 MB diskette, even read twice over; a file many
// times that size is something else, and is not taken into memory.
constexpr std::int64_t kLargestImdFile = 32 * 1024 * 1024;

bool ReadAll(int fd, std::vector<std::uint8_t>& bytes) {
    // Shorter than when it was measured: what is there is parsed.
    const ssize_t got = ReadFullyAt(fd, bytes.data(), bytes.size(), 0);
    if (got < 0) return false;
    bytes.resize(std::size_t(got));
    return true;
}

}  // namespace

bool ImdMedium::Load(const std::string& path, std::string& error) {
    m_path = path;
    m_lock.Closed();
    m_fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!m_fd.Valid() || ::fstat(m_fd.Get(), &st) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    if (st.st_size > kLargestImdFile) {
        error = path + ": " + std::to_string(st.st_size) +
                " bytes is far more than an ImageDisk file of a 1.44 MB diskette holds";
        return false;
    }
    std::vector<std::uint8_t> bytes(std::size_t(st.st_size));
    if (!ReadAll(m_fd.Get(), bytes)) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string problem;
    if (!ParseImd(bytes.data(), bytes.size(), m_diskette, problem)) {
        error = path + ": " + problem;
        return false;
    }
    return true;
}

Status ImdMedium::Read(int first, int count, std::uint8_t* buffer) {
    if (!IsSectorRange(first, count)) return Fail(IoError::Unreadable);
    if (!m_lock.Ready(m_fd.Get(), m_path)) return Fail(IoError::InUse);
    for (int s = first; s < first + count; ++s)
        if (!m_diskette.readable[std::size_t(s)]) return Fail(IoError::Unreadable);
    std::copy_n(m_diskette.data.data() + std::size_t(first) * kSectorSize,
                std::size_t(count) * kSectorSize, buffer);
    return {};
}

Status ImdMedium::Write(int, int, const std::uint8_t*) {
    return Fail(IoError::WriteProtected);
}

bool ImdMedium::Lock(std::string& error) {
    return m_lock.Hold(m_fd.Get(), m_path, error);
}

void ImdMedium::Unlock() {
    m_lock.Release(m_fd.Get());
}

std::string ImdMedium::WriteRefusal() const {
    return ImdWriteRefusalText(m_path);
}

std::shared_ptr<IMedium> LoadImdMedium(const std::string& path, std::string& error) {
    auto medium = std::make_shared<ImdMedium>();
    if (!medium->Load(path, error)) return nullptr;
    return medium;
}

std::string ImdWriteRefusalText(const std::string& path) {
    return path +
           " is an ImageDisk file, which Orvalis only reads: nothing is written on it.\nFor an "
           "image "
           "that takes writes, merge it into one (Merge reads... in the Diskette menu, or "
           "orvalis-cli merge OUT.img " +
           path + ") and use that image.";
}

}  // namespace orv

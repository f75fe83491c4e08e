#include "transfer/rescue/output_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "disk/ddrescue_map.h"
#include "disk/geometry.h"

namespace orv {

namespace {

std::string Why(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t n, off_t at) {
    while (n > 0) {
        const ssize_t r = ::pwrite(fd, data, n, at);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            if (r == 0) errno = EIO;
            return false;
        }
        data += r;
        n -= std::size_t(r);
        at += r;
    }
    return true;
}

}  // namespace

SectorSet UnreadableSectors(const FaultMap& faults) {
    SectorSet sectors;
    for (int s = 0; s < kSectorCount; ++s)
        if (faults.BlocksRead(s, 1)) sectors.set(std::size_t(s));
    return sectors;
}

OutputImage::~OutputImage() {
    m_lock.Release(m_fd.Get());
}

bool OutputImage::Hold(std::string& error) {
    std::string holder;
    if (m_lock.Want(m_fd.Get(), m_path, holder)) return true;
    error = InUseText(m_path, holder);
    return false;
}

std::string OutputImage::RecordPath() const {
    return m_mapfile.empty() ? FaultSidecarPath(m_path) : m_mapfile;
}

bool OutputImage::Create(const std::string& path, std::string& error) {
    m_path = path;
    if (Exists(path)) {
        error = path + " exists; it is not overwritten.";
        return false;
    }
    // A sidecar or mapfile without its image may be someone's work for an image still to come
    // (and a stale sidecar would make the new image fail where it reads).
    for (const std::string& record : {FaultSidecarPath(path), m_mapfile}) {
        if (record.empty() || !Exists(record)) continue;
        error = record +
                " exists without its image; it is not overwritten (remove it, or "
                "choose another name).";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = Why(path, errno);
        return false;
    }
    m_fd = UniqueFd(fd);
    m_bCreated = true;
    if (!Hold(error)) {
        Discard();
        return false;
    }
    // Taking the room now means that a full hard disk refuses the image before a long read,
    // not after it.
    if (const int rc = ::posix_fallocate(fd, 0, off_t(kImageSize)); rc != 0) {
        error = "No room for " + path + " (1 474 560 bytes) on the hard disk: " + std::strerror(rc);
        Discard();
        return false;
    }
    return true;
}

bool OutputImage::OpenPartial(const std::string& path, FaultMap& faults, std::string& error) {
    m_path = path;
    m_bCreated = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = Why(path, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + " is not an image file; it is left as it is.";
        return false;
    }
    const std::string record = RecordPath();
    std::ifstream in(record, std::ios::binary);
    if (!in) {
        error = path + " exists without " + (m_mapfile.empty() ? "a sidecar " : "its mapfile ") +
                record + ", so it is no partial image to fill in; it is not overwritten.";
        if (m_mapfile.empty()) {
            const std::string beside = FindMapfile(path);
            if (!beside.empty())
                error += " (" + beside +
                         " beside it may be its ddrescue mapfile: imaging with that mapfile as the "
                         "record goes on from it.)";
        }
        return false;
    }
    // ddrescue leaves its output short when the last sectors fail.
    if (st.st_size != kImageSize && (m_mapfile.empty() || st.st_size > kImageSize)) {
        error = path + " is not a diskette image (" + std::to_string(st.st_size) +
                " bytes, not 1474560); it is not overwritten.";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (m_mapfile.empty()) {
        if (!FaultMap::Parse(text.str(), record, faults, error)) return false;
    } else {
        DdrescueMap map;
        if (!ParseMapfile(text.str(), record, map, error)) return false;
        faults.Clear();
        for (int s = 0; s < kSectorCount; ++s)
            faults.SetReadable(s, map.readable.test(std::size_t(s)) &&
                                      std::int64_t(s + 1) * kSectorSize <= st.st_size);
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = Why(path, errno);
        return false;
    }
    m_fd = UniqueFd(fd);
    return Hold(error);
}

bool OutputImage::ReadAll(std::uint8_t* image, std::string& error) {
    std::size_t done = 0;
    while (done < std::size_t(kImageSize)) {
        const ssize_t r =
            ::pread(m_fd.Get(), image + done, std::size_t(kImageSize) - done, off_t(done));
        if (r < 0 && errno == EINTR) continue;
        if (r == 0 && !m_mapfile.empty()) {  // a short image: its tail was never read
            std::memset(image + done, 0, std::size_t(kImageSize) - done);
            break;
        }
        if (r <= 0) {
            error = "Could not read " + Why(m_path, r == 0 ? EIO : errno);
            return false;
        }
        done += std::size_t(r);
    }
    return true;
}

bool OutputImage::WriteSectors(const std::uint8_t* image, const SectorSet& which,
                               std::string& error) {
    struct stat st {};
    if (::fstat(m_fd.Get(), &st) != 0 ||
        (st.st_size < kImageSize && ::ftruncate(m_fd.Get(), off_t(kImageSize)) != 0)) {
        error = "Could not write " + Why(m_path, errno);
        return false;
    }
    for (int s = 0; s < kSectorCount;) {
        if (!which.test(std::size_t(s))) {
            ++s;
            continue;
        }
        int e = s;
        while (e < kSectorCount && which.test(std::size_t(e))) ++e;
        const std::size_t at = std::size_t(s) * kSectorSize;
        if (!WriteAll(m_fd.Get(), image + at, std::size_t(e - s) * kSectorSize, off_t(at))) {
            error = "Could not write " + Why(m_path, errno);
            return false;
        }
        s = e;
    }
    if (::fdatasync(m_fd.Get()) != 0) {
        error = "Could not write " + Why(m_path, errno);
        return false;
    }
    return true;
}

bool OutputImage::WriteRecord(const FaultMap& faults, const std::string& comment,
                              std::string& error, bool tried) {
    const std::string sidecar = RecordPath();
    std::string text;
    if (!m_mapfile.empty()) {
        text = FormatMapfile(~UnreadableSectors(faults), comment, tried ? '-' : '?');
    } else if (faults.Empty()) {
        if (::unlink(sidecar.c_str()) != 0 && errno != ENOENT) {
            error = "Could not remove " + Why(sidecar, errno);
            return false;
        }
        return true;
    } else {
        std::istringstream lines(comment);
        for (std::string line; std::getline(lines, line);) text += "# " + line + "\n";
        text += faults.Format();
    }
    // Written beside it and renamed over it: a crash leaves the old sidecar or the new one.
    std::string temp = sidecar + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = "Could not write " + Why(sidecar, errno);
        return false;
    }
    UniqueFd owner(fd);
    const bool written =
        WriteAll(fd, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 0) &&
        ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0 && owner.Close() &&
        ::rename(temp.c_str(), sidecar.c_str()) == 0;
    if (!written) {
        error = "Could not write " + Why(sidecar, errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void OutputImage::Discard() {
    if (!m_bCreated) return;
    m_lock.Release(m_fd.Get());
    m_fd.Reset();
    ::unlink(RecordPath().c_str());
    ::unlink(m_path.c_str());
    m_bCreated = false;
}

}  // namespace orv

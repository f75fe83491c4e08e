#include "transfer/rescue/output_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>

#include "disk/ddrescue_map.h"
#include "disk/geometry.h"
#include "host/full_io.h"
#include "host/host_file.h"
#include "host/small_file.h"

namespace orv {

namespace {

std::string Why(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

std::function<void()>& CutHook() {
    static std::function<void()> hook;
    return hook;
}

void Cut() {
    if (CutHook()) CutHook()();
}

// A renamed file is there after a power loss only once its folder is on the disk too.
void SyncFolderOf(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) ::fsync(fd.Get());
}

}  // namespace

void SetOutputImageCutHook(std::function<void()> hook) {
    CutHook() = std::move(hook);
}

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
    return m_lock.Hold(m_fd.Get(), m_path, error);
}

std::string UnreadListPath(const std::string& imagePath) {
    return FaultSidecarPath(imagePath);
}

std::string OutputImage::RecordPath() const {
    return m_mapfile.empty() ? FaultSidecarPath(m_path) : m_mapfile;
}

bool OutputImage::LacksEverySector(const std::string& record) const {
    std::string text, error;
    if (ReadSideFile(record, text, error) != SideFile::Read) return false;
    if (m_mapfile.empty()) {
        FaultMap faults;
        return FaultMap::Parse(text, record, faults, error) && UnreadableSectors(faults).all();
    }
    DdrescueMap map;
    return ParseMapfile(text, record, map, error) && map.readable.none();
}

bool OutputImage::Create(const std::string& path, std::string& error, const std::string& comment) {
    m_path = path;
    if (HostNameTaken(path)) {
        error = path + " exists; it is not overwritten.";
        return false;
    }
    // A sidecar or mapfile without its image may be someone's work for an image still to come
    // (and a stale sidecar would make the new image fail where it reads). A record that lacks
    // every sector holds nothing to lose: it is what a start of ours cut short leaves.
    for (const std::string& record : {FaultSidecarPath(path), m_mapfile}) {
        if (record.empty() || !HostNameTaken(record)) continue;
        if (record == RecordPath() && LacksEverySector(record)) continue;
        error = record +
                " exists without its image; it is not overwritten (remove it, or "
                "choose another name).";
        return false;
    }
    // The record first, saying that nothing was read: the image never stands without it, so a
    // run cut short at any point leaves either a record of nothing, which the next run takes
    // over, or a partial image, which it fills in.
    FaultMap lacking;
    lacking.SetRange(0, kSectorCount - 1, Fault::Unreadable);
    if (!WriteRecord(lacking, comment, error, false)) return false;
    // Made without a name, held, given its room, and only then named: a run cut short never
    // leaves an image of another size, and one without a name vanishes with the program.
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    m_fd = UniqueFd(RetryOnSignal(
        [&] { return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644); }));
    if (m_fd.Valid()) {
        if (!TakeRoom(error)) return Unmade(error, 0, error);
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd.Get());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            (errno != EEXIST &&
             ::linkat(m_fd.Get(), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)) {
            m_bCreated = true;
            Cut();
            return true;
        }
        if (errno == EEXIST) return Unmade(path + " exists; it is not overwritten.", EEXIST, error);
        m_lock.Release(m_fd.Get());
        m_fd.Reset();
    }
    // Where a file system cannot make or name one, the image gets its name at once.
    m_fd = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!m_fd.Valid()) {
        const int cause = errno;
        return Unmade(Why(path, cause), cause, error);
    }
    m_bCreated = true;
    Cut();
    if (!TakeRoom(error)) return Unmade(error, 0, error);
    Cut();
    return true;
}

bool OutputImage::TakeRoom(std::string& error) {
    if (!Hold(error)) return false;
    // Taking the room now means that a full hard disk refuses the image before a long read,
    // not after it.
    if (const int rc = ::posix_fallocate(m_fd.Get(), 0, off_t(kImageSize)); rc != 0) {
        error =
            "No room for " + m_path + " (1 474 560 bytes) on the hard disk: " + std::strerror(rc);
        return false;
    }
    return true;
}

bool OutputImage::Unmade(const std::string& why, int cause, std::string& error) {
    error = why;
    if (m_bCreated) {
        Discard();
        return false;
    }
    m_lock.Release(m_fd.Get());
    m_fd.Reset();
    // An image that another program made meanwhile keeps the record, which is now its own.
    if (cause != EEXIST) ::unlink(RecordPath().c_str());
    return false;
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
    std::string text;
    const SideFile read = ReadSideFile(record, text, error);
    if (read == SideFile::Refused) {
        error += "; " + path + " is left as it is.";
        return false;
    }
    if (read == SideFile::Missing) {
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
    if (m_mapfile.empty()) {
        if (!FaultMap::Parse(text, record, faults, error)) return false;
    } else {
        DdrescueMap map;
        if (!ParseMapfile(text, record, map, error)) return false;
        faults.Clear();
        for (int s = 0; s < kSectorCount; ++s)
            faults.SetReadable(s, map.readable.test(std::size_t(s)) &&
                                      std::int64_t(s + 1) * kSectorSize <= st.st_size);
    }
    // ddrescue leaves its output short when the last sectors fail; and where a file system
    // cannot make a nameless file, a start of ours cut short leaves one with a record of
    // nothing read.
    m_bMayBeShort = !m_mapfile.empty() || UnreadableSectors(faults).all();
    if (st.st_size > kImageSize || (st.st_size != kImageSize && !m_bMayBeShort)) {
        error = path + " is not a diskette image (" + std::to_string(st.st_size) +
                " bytes, not 1474560); it is not overwritten.";
        return false;
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
    const ssize_t got = ReadFullyAt(m_fd.Get(), image, std::size_t(kImageSize), 0);
    // A short image (with its mapfile, or of nothing read): its tail was never read.
    if (got >= 0 && (got == kImageSize || m_bMayBeShort)) {
        std::memset(image + got, 0, std::size_t(kImageSize - got));
        return true;
    }
    error = "Could not read " + Why(m_path, got < 0 ? errno : EIO);
    return false;
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
        if (!WriteFullyAt(m_fd.Get(), image + at, std::size_t(e - s) * kSectorSize, off_t(at))) {
            error = "Could not write " + Why(m_path, errno);
            return false;
        }
        s = e;
    }
    Cut();
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
    // Written beside it and renamed over it: a crash leaves the old record or the new one, and
    // a temporary of one fixed name that the next record takes over.
    const std::string temp = sidecar + ".tmp";
    UniqueFd owner(RetryOnSignal([&] {
        return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    }));
    if (!owner.Valid()) {
        error = "Could not write " + Why(sidecar, errno);
        return false;
    }
    const int fd = owner.Get();
    bool written = WriteFullyAt(fd, text.data(), text.size(), 0) && ::fchmod(fd, 0644) == 0 &&
                   ::fsync(fd) == 0 && owner.Close();
    Cut();
    written = written && ::rename(temp.c_str(), sidecar.c_str()) == 0;
    if (!written) {
        error = "Could not write " + Why(sidecar, errno);
        ::unlink(temp.c_str());
        return false;
    }
    Cut();
    SyncFolderOf(sidecar);
    return true;
}

void OutputImage::Discard() {
    if (!m_bCreated) return;
    m_lock.Release(m_fd.Get());
    m_fd.Reset();
    // The image goes first: it never stands without its record.
    ::unlink(m_path.c_str());
    ::unlink(RecordPath().c_str());
    m_bCreated = false;
}

}  // namespace orv

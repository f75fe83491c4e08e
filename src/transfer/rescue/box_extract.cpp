#include "transfer/rescue/box_extract.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "fs/layout.h"
#include "host/host_file.h"
#include "transfer/bad_sector_report.h"
#include "transfer/host_names.h"

namespace orv {

namespace {

constexpr std::uint8_t kFiller = 0x58;          // 'X', as a copy fills what it cannot read
constexpr std::size_t kWriteChunk = 64 * 1024;  // pieces are gathered into writes of this size

std::string Why(const std::string& path, int error = errno) {
    return path + ": " + std::strerror(error);
}

std::string InTheWay(const std::string& path) {
    return path + " exists; it is not overwritten.";
}

bool Taken(const std::vector<std::string>& taken, const std::string& name) {
    return std::find(taken.begin(), taken.end(), name) != taken.end();
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        length -= std::size_t(n);
    }
    return true;
}

// A new file in the folder; never through a link, never over anything there.
UniqueFd CreateAt(int folder, const std::string& name) {
    return UniqueFd(
        ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
}

UniqueFd OpenFolderAt(int folder, const std::string& name) {
    return UniqueFd(
        ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// What stands under a name in the folder, the link itself where it is one; 0 when nothing.
mode_t KindAt(int folder, const std::string& name) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
    return st.st_mode & S_IFMT;
}

// Removes what an interrupted run left under a partial name: a file, or a folder of files.
bool RemoveLeftover(int folder, const std::string& name, std::string& problem,
                    const std::string& shown) {
    const mode_t kind = KindAt(folder, name);
    if (kind == 0) return true;
    if (kind == S_IFDIR) {
        UniqueFd inside = OpenFolderAt(folder, name);
        DIR* dir = inside.Valid() ? ::fdopendir(::dup(inside.Get())) : nullptr;
        if (dir) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string child = entry->d_name;
                if (child != "." && child != "..") ::unlinkat(inside.Get(), child.c_str(), 0);
            }
            ::closedir(dir);
        }
        if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0) return true;
    } else if (::unlinkat(folder, name.c_str(), 0) == 0) {
        return true;
    }
    problem = "Could not remove what an interrupted run left: " + Why(shown);
    return false;
}

// Gives what was written under a partial name its final name, never over anything there.
bool Place(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: nothing may stand there a moment before.
    if (KindAt(folder, to) != 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0;
}

bool SyncFolder(int folder) {
    return ::fsync(folder) == 0 || errno == EINVAL;
}

// Whether the file under name holds exactly text (a file an earlier run wrote).
bool HoldsText(int folder, const std::string& name, const std::string& text) {
    UniqueFd fd(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        std::uintmax_t(st.st_size) != text.size())
        return false;
    std::string held(text.size(), '\0');
    std::size_t at = 0;
    while (at < held.size()) {
        const ssize_t n = ::read(fd.Get(), held.data() + at, held.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += std::size_t(n);
    }
    return held == text;
}

// A new text file, written whole and synced, or not at all.
bool WriteTextAt(int folder, const std::string& name, const std::string& text,
                 const std::string& shown, std::string& problem) {
    UniqueFd fd = CreateAt(folder, name);
    if (!fd.Valid()) {
        problem = errno == EEXIST ? InTheWay(shown) : Why(shown);
        return false;
    }
    const bool written =
        WriteAll(fd.Get(), reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) &&
        ::fdatasync(fd.Get()) == 0;
    if (!fd.Close() || !written) {
        problem = "Could not write " + Why(shown);
        ::unlinkat(folder, name.c_str(), 0);
        return false;
    }
    return true;
}

// A text file under a partial name first, then under its own; one identical to it that an
// earlier run placed there is left as it is.
bool PlaceText(int folder, const std::string& name, const std::string& partial,
               const std::string& text, const std::string& shown, std::string& problem) {
    if (!RemoveLeftover(folder, partial, problem, shown)) return false;
    if (KindAt(folder, name) != 0) {
        if (HoldsText(folder, name, text)) return true;
        problem = InTheWay(shown);
        return false;
    }
    if (!WriteTextAt(folder, partial, text, shown, problem)) return false;
    if (Place(folder, partial, name)) return true;
    const int error = errno;
    ::unlinkat(folder, partial.c_str(), 0);
    problem = error == EEXIST ? InTheWay(shown) : Why(shown, error);
    return false;
}

// The diskette file's date and write permission, given to the open file.
bool SetStatus(int fd, std::uint32_t modificationTime, std::uint8_t attributes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(modificationTime), 0}};
    if (::futimens(fd, times) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & ATTR_READONLY)
        mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return ::fchmod(fd, mode) == 0;
}

void Append(std::vector<std::uint8_t>& buffer, const std::uint8_t* piece, std::int32_t length) {
    if (length <= 0) return;
    if (piece)
        buffer.insert(buffer.end(), piece, piece + length);
    else
        buffer.insert(buffer.end(), std::size_t(std::min<std::int32_t>(length, kUnitDataBytes)),
                      kFiller);
}

bool Flush(int fd, std::vector<std::uint8_t>& buffer) {
    const bool written = WriteAll(fd, buffer.data(), buffer.size());
    buffer.clear();
    return written;
}

}  // namespace

std::vector<std::string> ImageFolderNames(const std::vector<std::string>& imagePaths) {
    std::vector<std::string> names;
    for (const std::string& path : imagePaths) {
        std::string stem = std::filesystem::path(path).filename().string();
        if (stem.size() > 4) {
            std::string tail = stem.substr(stem.size() - 4);
            std::transform(tail.begin(), tail.end(), tail.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            if (tail == ".img") stem.resize(stem.size() - 4);
        }
        const std::string base = SafeHostName(stem);
        std::string name = base;
        for (int n = 2; Taken(names, name) || name == kChecksumFileName; ++n)
            name = base + "-" + std::to_string(n);
        names.push_back(name);
    }
    return names;
}

std::string ExtractedName(const std::string& displayName, int fileNumber,
                          std::vector<std::string>& taken) {
    std::string name = SafeHostName(displayName);
    // Two files of one diskette may carry one name; the number tells them apart (again, for a
    // file whose own name looks like that of another with its number).
    const std::string number = " #" + std::to_string(fileNumber);
    while (Taken(taken, name)) name = SafeHostName(name + number);
    taken.push_back(name);
    return name;
}

std::string PartialName(const std::string& name, const std::vector<std::string>& taken) {
    std::string partial = "." + name + ".partial";
    while (Taken(taken, partial)) partial += "~";
    return partial;
}

bool ExtractionFolder::Open(const std::string& path, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    m_fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_fd.Valid()) {
        error = "Cannot make the folder " + path + ": " +
                (ec                 ? ec.message()
                 : errno == ENOTDIR ? "a file is in the way"
                                    : Why(path));
        return false;
    }
    m_path = path;
    return true;
}

bool ImageExtraction::Begin() {
    if (m_stop) return false;
    const mode_t there = KindAt(m_out.Fd(), m_name);
    if (there == S_IFDIR) {
        // Only a complete folder ever gets this name.
        m_bDone = true;
        return false;
    }
    if (there != 0) {
        m_problems.push_back(InTheWay(m_out.Shown(m_name)));
        return false;
    }
    std::string problem;
    if (!RemoveLeftover(m_out.Fd(), m_partial, problem, m_out.Shown(m_partial))) {
        Fail(problem);
        return false;
    }
    if (::mkdirat(m_out.Fd(), m_partial.c_str(), 0777) != 0) {
        Fail(Why(m_out.Shown(m_partial)));
        return false;
    }
    m_folder = OpenFolderAt(m_out.Fd(), m_partial);
    if (!m_folder.Valid()) {
        Fail(Why(m_out.Shown(m_partial)));
        Abandon();
        return false;
    }
    return true;
}

void ImageExtraction::Fail(const std::string& problem) {
    m_problems.push_back(problem);
    m_stop = true;
}

void ImageExtraction::BeginFile(const FileRecord* record, int number) {
    // A file without its header has no name to be copied out under.
    if (!record || !m_folder.Valid() || m_stop) return;
    m_fileName = ExtractedName(record->displayName, number, m_taken);
    m_file = CreateAt(m_folder.Get(), m_fileName);
    if (!m_file.Valid())
        m_problems.push_back(errno == EEXIST ? InTheWay(Shown(m_fileName))
                                             : Why(Shown(m_fileName)));
    m_buffer.clear();
}

void ImageExtraction::Piece(const std::uint8_t* piece, std::int32_t length) {
    if (!m_file.Valid()) return;
    Append(m_buffer, piece, length);
    if (m_buffer.size() < kWriteChunk) return;
    if (Flush(m_file.Get(), m_buffer)) return;
    Fail("Could not write " + Why(Shown(m_fileName)));
    m_file.Close();
    ::unlinkat(m_folder.Get(), m_fileName.c_str(), 0);
}

void ImageExtraction::EndFile(const ScannedFile& file) {
    if (!m_file.Valid()) return;
    const std::string shown = Shown(m_fileName);
    bool written = Flush(m_file.Get(), m_buffer) && ::fdatasync(m_file.Get()) == 0;
    const bool dated =
        !written || !m_bRestore ||
        SetStatus(m_file.Get(), file.record.modificationTime, file.record.attributes);
    written = m_file.Close() && written;
    if (!written) {
        Fail("Could not write " + Why(shown));
        ::unlinkat(m_folder.Get(), m_fileName.c_str(), 0);
        return;
    }
    if (!dated) {
        Fail("Could not set the date and attributes of " + Why(shown));
        return;
    }
    if (!file.sha256.empty()) m_sums += Sha256SumsLine(file.sha256, m_fileName);
    if (!file.bad.empty()) {
        BadSectorReport report;
        report.name = file.record.displayName;
        report.badList = &file.bad;
        std::string problem;
        if (!WriteTextAt(m_folder.Get(), m_fileName + ".report", ReportFileText(report),
                         shown + ".report", problem))
            m_problems.push_back(problem);
    }
}

void ImageExtraction::Finish() {
    if (!m_folder.Valid()) return;
    std::string problem;
    if (!m_stop && !m_sums.empty() &&
        !WriteTextAt(m_folder.Get(), kChecksumFileName, m_sums, Shown(kChecksumFileName), problem))
        Fail(problem);
    // A folder that lacks a file it should hold is no folder of this image: it goes, and a run
    // after this one makes it again.
    if (m_stop || !SyncFolder(m_folder.Get())) {
        if (!m_stop) Fail("Could not write " + Why(m_out.Shown(m_partial)));
        Abandon();
        return;
    }
    m_folder.Close();
    if (!Place(m_out.Fd(), m_partial, m_name)) {
        m_problems.push_back(errno == EEXIST ? InTheWay(m_out.Shown(m_name))
                                             : Why(m_out.Shown(m_name)));
        Abandon();
        return;
    }
    SyncFolder(m_out.Fd());
}

void ImageExtraction::Abandon() {
    m_file.Close();
    if (!m_folder.Valid() && KindAt(m_out.Fd(), m_partial) != S_IFDIR) return;
    m_folder.Close();
    std::string ignored;
    RemoveLeftover(m_out.Fd(), m_partial, ignored, m_partial);
}

SpreadExtraction::SpreadExtraction(const ExtractionFolder& out, std::string name,
                                   const std::vector<std::string>& taken, ExtractionStop& stop)
    : m_out(out),
      m_name(std::move(name)),
      m_partial(PartialName(m_name, taken)),
      m_reportPartial(PartialName(m_name + ".report", taken)),
      m_stop(stop) {}

SpreadExtraction::~SpreadExtraction() {
    if (!m_file.Valid()) return;
    m_file.Close();
    ::unlinkat(m_out.Fd(), m_partial.c_str(), 0);
}

bool SpreadExtraction::Begin(std::string& problem) {
    const mode_t there = KindAt(m_out.Fd(), m_name);
    if (there == S_IFREG) {
        m_bThere = true;
        return true;
    }
    if (there != 0) {
        problem = InTheWay(m_out.Shown(m_name));
        return false;
    }
    if (!RemoveLeftover(m_out.Fd(), m_partial, problem, m_out.Shown(m_partial))) return false;
    m_file = CreateAt(m_out.Fd(), m_partial);
    if (!m_file.Valid()) {
        problem = Why(m_out.Shown(m_partial));
        return false;
    }
    return true;
}

void SpreadExtraction::Fail(const std::string& problem) {
    m_error = problem;
    m_bWriteFailed = true;
    m_stop = true;
    m_file.Close();
    ::unlinkat(m_out.Fd(), m_partial.c_str(), 0);
}

void SpreadExtraction::Piece(const std::uint8_t* piece, std::int32_t length) {
    if (piece && length > 0) m_hash.Update(piece, std::size_t(length));
    if (!m_file.Valid()) return;
    Append(m_buffer, piece, length);
    if (m_buffer.size() >= kWriteChunk && !Flush(m_file.Get(), m_buffer))
        Fail("Could not write " + Why(m_out.Shown(m_name)));
}

void SpreadExtraction::EndPart(const std::string& name, std::int64_t startByte,
                               const std::vector<std::uint32_t>& bad) {
    if (bad.empty()) return;
    // One report for each part with bad units, each with its own start byte, as a copy
    // reports them.
    BadSectorReport report;
    report.name = name;
    report.startByte = std::int32_t(startByte);
    report.badList = &bad;
    m_reports += ReportFileText(report);
}

bool SpreadExtraction::Finish(std::uint32_t time, std::uint8_t attributes, bool restore,
                              std::string& sha256, std::string& problem) {
    sha256 = m_reports.empty() ? m_hash.HexDigest() : std::string();
    if (m_bThere) return true;
    const std::string shown = m_out.Shown(m_name);
    bool written = Flush(m_file.Get(), m_buffer) && ::fdatasync(m_file.Get()) == 0;
    const bool dated = !written || !restore || SetStatus(m_file.Get(), time, attributes);
    written = m_file.Close() && written;
    if (!written) {
        Fail("Could not write " + Why(shown));
        problem = m_error;
        return false;
    }
    if (!dated) {
        problem = "Could not set the date and attributes of " + Why(shown);
        ::unlinkat(m_out.Fd(), m_partial.c_str(), 0);
        return false;
    }
    // The report goes first: a file under its final name always has its report beside it.
    if (!m_reports.empty() && !PlaceText(m_out.Fd(), m_name + ".report", m_reportPartial, m_reports,
                                         shown + ".report", problem)) {
        ::unlinkat(m_out.Fd(), m_partial.c_str(), 0);
        return false;
    }
    if (!Place(m_out.Fd(), m_partial, m_name)) {
        problem = errno == EEXIST ? InTheWay(shown) : Why(shown);
        ::unlinkat(m_out.Fd(), m_partial.c_str(), 0);
        return false;
    }
    SyncFolder(m_out.Fd());
    return true;
}

bool WriteTopChecksums(const ExtractionFolder& out, const std::string& sums,
                       const std::vector<std::string>& taken, std::string& problem) {
    if (sums.empty()) return true;
    if (!PlaceText(out.Fd(), kChecksumFileName, PartialName(kChecksumFileName, taken), sums,
                   out.Shown(kChecksumFileName), problem))
        return false;
    SyncFolder(out.Fd());
    return true;
}

}  // namespace orv

#include "mount/diskette_folder.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ports/drive_messages.h"
#include "transfer/folder_copy_names.h"
#include "transfer/host_entry.h"

namespace orv::mount {

namespace {

// The name below the root of a path such as "/notes.txt"; false for the root itself and for
// anything deeper, which this folder never holds.
bool NameOf(const std::string& path, std::string& name) {
    if (path.size() < 2 || path[0] != '/' || path.find('/', 1) != std::string::npos) return false;
    name = path.substr(1);
    return true;
}

bool IsRoot(const std::string& path) {
    return path == "/";
}

timespec Seconds(std::uint32_t time) {
    timespec t{};
    t.tv_sec = time_t(time);
    return t;
}

// A time that a set-times call asks for leaves the stored one as it is: omitted, or the same
// second (the diskette keeps seconds).
bool KeepsTime(const timespec& wanted, std::uint32_t stored) {
    return wanted.tv_nsec == UTIME_OMIT || (wanted.tv_nsec != UTIME_NOW && wanted.tv_sec == stored);
}

}  // namespace

CDisketteFolder::CDisketteFolder(COrvalisDoc& doc, CMountLog& log, FolderSettings settings)
    : m_doc(doc), m_log(log), m_settings(std::move(settings)) {
    Rebuild();
}

void CDisketteFolder::Rebuild() {
    m_entries.clear();
    m_byName.clear();
    m_images.clear();
    // As copy-to names them: two files of one name both appear, the later with its number.
    CFolderCopyNames names({});
    for (const FileRecord& record : m_doc.Files()) {
        Entry entry;
        entry.name = names.PathFor(record);
        entry.record = record;
        entry.bytes = m_doc.BytesOnDiskette(record);
        std::vector<int> sectors;
        entry.units = m_doc.Volume().CollectUnits(record.fileNumber, sectors);
        m_byName[entry.name] = m_entries.size();
        m_entries.push_back(std::move(entry));
    }
}

bool CDisketteFolder::EnsureOpen() {
    if (m_doc.IsOpen()) return true;
    if (m_doc.OpenDiskette() != 0) {
        m_doc.CloseDiskette();
        return false;
    }
    Rebuild();
    return true;
}

const CDisketteFolder::Entry* CDisketteFolder::Find(const std::string& path) const {
    std::string name;
    if (!NameOf(path, name)) return nullptr;
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : &m_entries[it->second];
}

CStagedFile* CDisketteFolder::Pending(const std::string& path) const {
    std::string name;
    if (!NameOf(path, name)) return nullptr;
    const auto it = m_pending.find(name);
    return it == m_pending.end() ? nullptr : it->second.get();
}

CDisketteFolder::Handle* CDisketteFolder::HandleOf(std::uint64_t handle) {
    const auto it = m_handles.find(handle);
    return it == m_handles.end() ? nullptr : &it->second;
}

int CDisketteFolder::FailureErrno(IoError cause) const {
    return IsDriveFailure(cause) ? ErrnoOf(cause) : EIO;
}

std::int64_t CDisketteFolder::Capacity() const {
    return m_doc.IsOpen() ? RoomOf(&m_doc.Volume()).fileBytes : 0;
}

mode_t CDisketteFolder::ModeOf(const Entry& entry) const {
    return ReadOnlyEntry(entry.record) ? 0444 : 0644;
}

int CDisketteFolder::GetAttr(const std::string& path, struct stat& st, std::uint64_t handle) {
    st = {};
    st.st_uid = m_settings.uid;
    st.st_gid = m_settings.gid;
    if (IsRoot(path)) {
        st.st_mode = S_IFDIR | (m_settings.readWrite ? 0755 : 0555);
        st.st_nlink = 2;
        if (m_doc.IsOpen())
            st.st_mtim = st.st_ctim = st.st_atim = Seconds(m_doc.Volume().Ids().stampTime);
        return 0;
    }
    const Handle* open = HandleOf(handle);
    CStagedFile* staged =
        open && open->staged && !open->flushed ? open->staged.get() : Pending(path);
    if (staged) {
        struct stat host {};
        if (const int rc = staged->Stat(host); rc != 0) return rc;
        st.st_mode = S_IFREG | (host.st_mode & 0777);
        st.st_nlink = 1;
        st.st_size = host.st_size;
        st.st_blocks = host.st_blocks;
        st.st_atim = host.st_atim;
        st.st_mtim = host.st_mtim;
        st.st_ctim = host.st_ctim;
        return 0;
    }
    const Entry* entry = Find(path);
    if (!entry) return -ENOENT;
    st.st_mode = S_IFREG | ModeOf(*entry);
    st.st_nlink = 1;
    st.st_size = entry->bytes;
    st.st_blocks = entry->units;  // a unit is one sector of 512 bytes
    st.st_atim = st.st_mtim = st.st_ctim = Seconds(entry->record.modificationTime);
    return 0;
}

int CDisketteFolder::ReadDir(const std::string& path, std::vector<std::string>& names) {
    if (!IsRoot(path)) return Find(path) || Pending(path) ? -ENOTDIR : -ENOENT;
    if (!EnsureOpen()) return -EIO;
    names = {".", ".."};
    for (const Entry& entry : m_entries) names.push_back(entry.name);
    for (const auto& pending : m_pending) names.push_back(pending.first);
    return 0;
}

int CDisketteFolder::Image(const Entry& entry, std::shared_ptr<const FileImage>& image) {
    // Every byte served must be this diskette's: a diskette changed in a real drive is not.
    if (!m_doc.CheckSameDiskette()) return -FailureErrno(m_doc.Volume().LastError());
    const FileRecord& r = entry.record;
    const ImageKey key{r.fileNumber, r.extension, r.partNumber, r.size};
    if (const auto it = m_images.find(key); it != m_images.end() && it->second->Intact()) {
        image = it->second;
        return 0;
    }
    auto read = std::make_shared<FileImage>();
    if (IoError cause = IoError::None; !ReadFileImage(m_doc.Volume(), r, entry.bytes, *read, cause))
        return -ErrnoOf(cause);
    m_images[key] = read;
    image = std::move(read);
    return 0;
}

int CDisketteFolder::Open(const std::string& path, int flags, std::uint64_t& handle,
                          bool& directIo) {
    if (IsRoot(path)) return -EISDIR;
    if (Pending(path)) return -EBUSY;  // being written: it is on no diskette yet
    if (!EnsureOpen()) return -EIO;
    const Entry* entry = Find(path);
    if (!entry) return -ENOENT;
    if ((flags & O_ACCMODE) != O_RDONLY || (flags & O_TRUNC)) return -WriteRefusal();
    Handle open;
    if (const int rc = Image(*entry, open.image); rc != 0) return rc;
    // The kernel's page cache would take a read that stops short for the end of the file.
    directIo = !open.image->Intact() && !m_settings.filler;
    handle = m_nextHandle++;
    m_handles[handle] = std::move(open);
    return 0;
}

int CDisketteFolder::Create(const std::string& path, mode_t mode, pid_t process,
                            std::uint64_t& handle) {
    if (!m_settings.readWrite) return -EROFS;
    std::string name;
    if (!NameOf(path, name)) return -EPERM;
    if (Find(path) || Pending(path)) return -EEXIST;
    // Refused now rather than stored under another name at the close.
    switch (HowNameIsStored(name)) {
        case StoredName::Cut:
            return -ENAMETOOLONG;
        case StoredName::Changed:
            return -EINVAL;
        case StoredName::AsGiven:
            break;
    }
    if (!EnsureOpen()) return -EIO;
    if (m_doc.Volume().FreeUnitCount() == 0 || !m_doc.Volume().FindFreeFileNumber()) return -ENOSPC;
    auto staged = std::make_shared<CStagedFile>();
    if (const int rc = staged->Create(m_settings.stagingFolder, m_nextStaging++, name, mode);
        rc != 0)
        return rc;
    m_pending[name] = staged;
    Handle open;
    open.staged = std::move(staged);
    open.name = name;
    open.creator = process;
    handle = m_nextHandle++;
    m_handles[handle] = std::move(open);
    return 0;
}

long CDisketteFolder::Read(std::uint64_t handle, char* data, std::size_t size,
                           std::int64_t offset) {
    const Handle* open = HandleOf(handle);
    if (!open) return -EBADF;
    if (open->image) return open->image->Serve(offset, size, m_settings.filler, data);
    if (open->staged && !open->flushed) return open->staged->Read(data, size, offset);
    return -EBADF;
}

long CDisketteFolder::Write(std::uint64_t handle, const char* data, std::size_t size,
                            std::int64_t offset) {
    Handle* open = HandleOf(handle);
    if (!open || open->image) return -EBADF;
    if (open->flushed) return -EPERM;  // stored: a file on the diskette takes no writes
    return open->staged->Write(data, size, offset, Capacity());
}

int CDisketteFolder::Flush(std::uint64_t handle, pid_t process) {
    Handle* open = HandleOf(handle);
    if (!open || !open->staged || open->flushed) return 0;
    if (process != open->creator || !open->staged->Written()) return 0;
    open->flushed = true;
    m_pending.erase(open->name);
    return Store(*open);
}

int CDisketteFolder::Store(Handle& open) {
    // The staged bytes go whatever happens here: stored, or given up whole.
    const std::shared_ptr<CStagedFile> staged = std::move(open.staged);
    if (staged->Failure() != 0) return -staged->Failure();
    if (const int rc = staged->Finish(); rc != 0) return rc;
    if (!EnsureOpen()) return -EIO;
    // What the add's free-space question is about: asked of nobody, it is the answer.
    const CVolume& volume = m_doc.Volume();
    if (UnitsForBytes(std::int32_t(staged->Size())) > volume.FreeUnitCount() ||
        !volume.FindFreeFileNumber())
        return -ENOSPC;
    AddOutcome outcome;
    const int rc = m_doc.AddFile(staged->Path(), 0, &outcome, AddSpread::Never);
    Rebuild();
    if (rc == 0) return 0;
    if (outcome.failure.noRoom) return -ENOSPC;
    const IoError cause =
        outcome.failure.drive != IoError::None ? outcome.failure.drive : volume.LastError();
    return -FailureErrno(cause);
}

int CDisketteFolder::Release(std::uint64_t handle) {
    Handle* open = HandleOf(handle);
    if (!open) return -EBADF;
    if (open->staged && !open->flushed) {
        open->flushed = true;
        m_pending.erase(open->name);
        if (const int rc = Store(*open); rc != 0)
            m_log.Say(open->name + " was not stored: " + std::strerror(-rc));
    }
    m_handles.erase(handle);
    return 0;
}

int CDisketteFolder::Unlink(const std::string& path) {
    if (!m_settings.readWrite) return -EROFS;
    if (Pending(path)) return -EBUSY;
    if (!EnsureOpen()) return -EIO;
    const Entry* entry = Find(path);
    if (!entry) return IsRoot(path) ? -EISDIR : -ENOENT;
    const FileRecord key = entry->record;
    const int rc = m_doc.DeleteFromDiskette(key, true, false);
    Rebuild();
    return rc == 0 ? 0 : -FailureErrno(m_doc.Volume().LastError());
}

int CDisketteFolder::Truncate(const std::string& path, std::int64_t size, std::uint64_t handle) {
    Handle* open = HandleOf(handle);
    CStagedFile* staged =
        open && open->staged && !open->flushed ? open->staged.get() : Pending(path);
    if (staged) return staged->Truncate(size, Capacity());
    if (IsRoot(path)) return -EISDIR;
    const Entry* entry = Find(path);
    if (!entry) return -ENOENT;
    if (!m_settings.readWrite) return -EROFS;
    return size == entry->bytes ? 0 : -EPERM;
}

int CDisketteFolder::SetTimes(const std::string& path, const struct timespec times[2],
                              std::uint64_t handle) {
    Handle* open = HandleOf(handle);
    CStagedFile* staged =
        open && open->staged && !open->flushed ? open->staged.get() : Pending(path);
    if (staged) return staged->SetTimes(times);
    if (IsRoot(path)) return -WriteRefusal();
    const Entry* entry = Find(path);
    if (!entry) return -ENOENT;
    // Setting what is stored already changes nothing (a copy that keeps times does so).
    if (!times || !KeepsTime(times[1], entry->record.modificationTime)) return -WriteRefusal();
    return 0;
}

int CDisketteFolder::SetMode(const std::string& path, mode_t mode, std::uint64_t handle) {
    Handle* open = HandleOf(handle);
    CStagedFile* staged =
        open && open->staged && !open->flushed ? open->staged.get() : Pending(path);
    if (staged) return staged->SetMode(mode);
    if (IsRoot(path)) return -WriteRefusal();
    const Entry* entry = Find(path);
    if (!entry) return -ENOENT;
    return (mode & 07777) == ModeOf(*entry) ? 0 : -WriteRefusal();
}

int CDisketteFolder::SetOwner(const std::string& path, uid_t uid, gid_t gid) {
    if (!IsRoot(path) && !Find(path) && !Pending(path)) return -ENOENT;
    const bool sameUser = uid == uid_t(-1) || uid == m_settings.uid;
    const bool sameGroup = gid == gid_t(-1) || gid == m_settings.gid;
    return sameUser && sameGroup ? 0 : -WriteRefusal();
}

int CDisketteFolder::StatFs(struct statvfs& st) {
    st = {};
    // Blocks are units, each as many bytes as the diskette counts a unit: df shows the bytes
    // that the information dialog shows.
    const DisketteRoom room = RoomOf(m_doc.IsOpen() ? &m_doc.Volume() : nullptr);
    st.f_bsize = st.f_frsize = room.unitBytes;
    st.f_blocks = room.units;
    st.f_files = FAT_MAX_FILE;
    st.f_namemax = kNameWidth + 1 + kExtensionWidth;
    if (!m_doc.IsOpen()) return 0;
    const int free = room.freeUnits;
    st.f_bfree = st.f_bavail = fsblkcnt_t(free);
    const int numbers = FAT_MAX_FILE - int(m_doc.Files().size());
    st.f_ffree = st.f_favail = fsfilcnt_t(std::max(0, std::min(numbers, free)));
    return 0;
}

long CDisketteFolder::GetAttribute(const std::string& path, const std::string& name, char* value,
                                   std::size_t size) {
    const Entry* entry = Find(path);
    if (!entry) return IsRoot(path) || Pending(path) ? -ENODATA : -ENOENT;
    if (name != kBadAttribute) return -ENODATA;
    std::shared_ptr<const FileImage> image;
    if (const int rc = Image(*entry, image); rc != 0) return rc;
    const std::string text = image->BadText();
    if (size == 0) return long(text.size());
    if (size < text.size()) return -ERANGE;
    std::memcpy(value, text.data(), text.size());
    return long(text.size());
}

long CDisketteFolder::ListAttributes(const std::string& path, char* list, std::size_t size) {
    if (!Find(path)) return IsRoot(path) || Pending(path) ? 0 : -ENOENT;
    const std::size_t length = sizeof kBadAttribute;  // with its NUL
    if (size == 0) return long(length);
    if (size < length) return -ERANGE;
    std::memcpy(list, kBadAttribute, length);
    return long(length);
}

int CDisketteFolder::Refused() const {
    return -WriteRefusal();
}

int CDisketteFolder::Unsupported() const {
    return m_settings.readWrite ? -ENOTSUP : -EROFS;
}

void CDisketteFolder::Shutdown() {
    m_pending.clear();
    m_handles.clear();
}

}  // namespace orv::mount

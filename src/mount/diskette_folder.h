// The open diskette as one folder: every listed file under a name of its own, read through its
// units, and, on a mount that takes writes, files created by writing them (stored through the
// document's add when they are closed) and removed through the document's delete. Whatever
// changes the diskette goes through the document, so that the diskette stays as the other
// front ends leave it. Every operation returns 0 (or a count) or -errno; none asks a question.
// Knows nothing of FUSE: the callbacks call it with the path below the mount point.
#pragma once

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "mount/mount_log.h"
#include "mount/staged_file.h"
#include "transfer/document.h"
#include "transfer/file_reader.h"

namespace orv::mount {

struct FolderSettings {
    bool readWrite = false;
    bool filler = false;        // unreadable pieces read as filler rather than failing
    std::string stagingFolder;  // private, for the bytes of files being created (read-write)
    uid_t uid = 0;              // the owner every file is shown with: who mounted it
    gid_t gid = 0;
};

// The extended attribute with the chain positions of a file's pieces that do not read.
inline constexpr char kBadAttribute[] = "user.orvalis.bad";

class CDisketteFolder {
public:
    CDisketteFolder(COrvalisDoc& doc, CMountLog& log, FolderSettings settings);
    CDisketteFolder(const CDisketteFolder&) = delete;
    CDisketteFolder& operator=(const CDisketteFolder&) = delete;

    // handle: the open file the kernel asks about, or 0.
    int GetAttr(const std::string& path, struct stat& st, std::uint64_t handle);
    int ReadDir(const std::string& path, std::vector<std::string>& names);
    // directIo: the kernel must not cache the file (it has pieces that fail).
    int Open(const std::string& path, int flags, std::uint64_t& handle, bool& directIo);
    // process: who creates it (see Flush).
    int Create(const std::string& path, mode_t mode, pid_t process, std::uint64_t& handle);
    long Read(std::uint64_t handle, char* data, std::size_t size, std::int64_t offset);
    long Write(std::uint64_t handle, const char* data, std::size_t size, std::int64_t offset);
    // A file being created is stored at the first flush (a close) by the process that created
    // it after it was written to, and that close gets the outcome. An earlier close is the one
    // a shell or dd makes when it moves the new file to its standard output, before it writes
    // anything; another process closes its inherited copy when it starts a program or ends, in
    // the middle of its parent's writing. A file never stored so (touch makes one that is never
    // written) is stored at its release, the last close, whose outcome only the log sees.
    int Flush(std::uint64_t handle, pid_t process);
    int Release(std::uint64_t handle);
    int Unlink(const std::string& path);
    int Truncate(const std::string& path, std::int64_t size, std::uint64_t handle);
    int SetTimes(const std::string& path, const struct timespec times[2], std::uint64_t handle);
    int SetMode(const std::string& path, mode_t mode, std::uint64_t handle);
    int SetOwner(const std::string& path, uid_t uid, gid_t gid);
    int StatFs(struct statvfs& st);
    // As getxattr(2) and listxattr(2): with size 0 the length wanted.
    long GetAttribute(const std::string& path, const std::string& name, char* value,
                      std::size_t size);
    long ListAttributes(const std::string& path, char* list, std::size_t size);
    // What a folder of this kind cannot do: folders, links, special files (EPERM), renaming
    // and extended attributes of one's own (ENOTSUP); EROFS on a read-only mount.
    int Refused() const;
    int Unsupported() const;

    // The mount ends: files still being written are given up (a part must never pass for the
    // whole), and nothing more reaches the diskette.
    void Shutdown();

private:
    struct Entry {
        std::string name;
        FileRecord record;
        std::int32_t bytes = 0;  // what the diskette holds of it (a part: its own units)
        int units = 0;
    };
    struct Handle {
        std::shared_ptr<const FileImage> image;  // a file read
        std::shared_ptr<CStagedFile> staged;     // a file being created
        std::string name;
        pid_t creator = 0;
        bool flushed = false;  // stored, or given up
    };
    using ImageKey = std::tuple<std::uint16_t, std::string, std::uint8_t, std::uint32_t>;

    // The listed files again, after anything that may have changed the list.
    void Rebuild();
    // Opens the diskette again when a failed operation closed it; false when it does not open.
    bool EnsureOpen();
    const Entry* Find(const std::string& path) const;
    CStagedFile* Pending(const std::string& path) const;
    Handle* HandleOf(std::uint64_t handle);
    // The file read whole (again, unless it read whole before), or -errno.
    int Image(const Entry& entry, std::shared_ptr<const FileImage>& image);
    int Store(Handle& handle);
    int WriteRefusal() const { return m_settings.readWrite ? EPERM : EROFS; }
    // After an operation of the document failed: what the drive said, else EIO.
    int FailureErrno(IoError cause) const;
    std::int64_t Capacity() const;
    mode_t ModeOf(const Entry& entry) const;

    COrvalisDoc& m_doc;
    CMountLog& m_log;
    FolderSettings m_settings;
    std::vector<Entry> m_entries;
    std::map<std::string, std::size_t> m_byName;
    std::map<std::string, std::shared_ptr<CStagedFile>> m_pending;  // created, not flushed yet
    std::map<std::uint64_t, Handle> m_handles;
    std::uint64_t m_nextHandle = 1;
    std::uint64_t m_nextStaging = 1;
    // Files read whole. A file that read whole is served from here until the diskette changes;
    // one with pieces that failed is read again at every open, which may now succeed.
    std::map<ImageKey, std::shared_ptr<const FileImage>> m_images;
};

}  // namespace orv::mount

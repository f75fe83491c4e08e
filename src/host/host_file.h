// Files of the hard disk. No error escapes these routines: each reports failure by its result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/unique_fd.h"

namespace orv {

// Attribute bits kept in a file entry.
constexpr std::uint8_t ATTR_READONLY = 0x01;
constexpr std::uint8_t ATTR_HIDDEN = 0x02;
constexpr std::uint8_t ATTR_SYSTEM = 0x04;
constexpr std::uint8_t ATTR_ARCHIVE = 0x20;

// Reads and writes go through a buffer, so that the transfer loops' pieces of 448 and 507 bytes
// cost one system call per buffer rather than one each. A write error may therefore surface at
// a later Write, Seek, Length or at Close, which then fails.
class HostFile {
public:
    HostFile() = default;
    ~HostFile();
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    enum class Mode {
        Read,            // existing file, reading
        ReadWrite,       // existing file, reading and writing; never created or truncated
        CreateTruncate,  // created, or emptied when it exists
        CreateNew,       // created; an existing file is refused (errno EEXIST) and kept
    };
    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return m_fd.Valid(); }
    const std::string& Path() const { return m_path; }

    bool Seek(std::int64_t position);  // from the start
    bool SeekEnd();
    std::int64_t Length();  // -1 when unknown
    // Reads until n bytes or the end; the number read, or -1 on an error.
    long Read(std::uint8_t* buffer, long n);
    bool Write(const std::uint8_t* buffer, long n);
    bool Close();  // false when writing the rest or closing failed (data may be lost)

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    bool Flush();          // pending writes to the file
    bool DropReadAhead();  // moves the file position back to where the reader is

    UniqueFd m_fd;
    std::string m_path;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_pos = 0;  // reading: next byte to hand out
    std::size_t m_len = 0;  // reading: bytes read ahead; writing: bytes pending
    bool m_bWriting = false;
    bool m_bReadOnly = false;
    bool m_bFailed = false;  // a buffered write failed
};

// Up to n bytes; the number read, or -1 when nothing was read (end of file) or on an error.
int ReadHostFile(HostFile& file, std::uint8_t* buffer, int n);
// 0 when all n bytes were written, -1 otherwise.
int WriteHostFile(HostFile& file, const std::uint8_t* buffer, int n);

struct HostFileStatus {
    std::int64_t size = 0;
    std::uint32_t modificationTime = 0;  // seconds since 1970-01-01 00:00 UTC
    std::uint8_t attributes = 0;
};

// The status of a regular file; false when it cannot be read (no such file).
bool GetHostFileStatus(const std::string& path, HostFileStatus& status);
// Sets the modification time and what the attribute byte can say on this platform: read-only
// clears the write permissions, a writable file gets the owner's write permission back.
bool SetHostFileStatus(const std::string& path, std::uint32_t modificationTime,
                       std::uint8_t attributes);

// True when both paths name one existing file (the same device and inode), however spelled.
bool SameHostFile(const std::string& a, const std::string& b);

// True when something stands at path, a dangling link included (what a new file must not
// replace).
bool HostNameTaken(const std::string& path);
// The size of a file, or -1 when its status cannot be read.
std::int64_t HostFileSize(const std::string& path);
// The mount point of the file system that holds path: what the user knows as its drive.
std::string HostDriveName(const std::string& path);
// Free bytes of the file system that holds path (or its folder), or -1 when it cannot be told.
std::int64_t HostFreeSpace(const std::string& path);

}  // namespace orv

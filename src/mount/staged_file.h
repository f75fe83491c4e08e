// A file being created in the folder. Its bytes wait in a host file that carries the name the
// diskette will give it (the add takes the name, the date and the attributes from there), in a
// folder of its own under the mount's private folder, until its first flush adds it. The host
// file goes with the object, stored or not.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "host/unique_fd.h"

namespace orv::mount {

class CStagedFile {
public:
    CStagedFile() = default;
    CStagedFile(const CStagedFile&) = delete;
    CStagedFile& operator=(const CStagedFile&) = delete;
    ~CStagedFile() { Remove(); }

    // 0, or -errno.
    int Create(const std::string& privateFolder, std::uint64_t serial, const std::string& name,
               mode_t mode);
    // Writes go forward, as a copy writes: one behind the end would change bytes already
    // written and fails with ESPIPE; one past the end leaves zeros between, as a copy of a
    // sparse file does. Nothing grows beyond capacity (ENOSPC). The bytes written, or -errno;
    // a write that failed fails the file for good (Failure), so that no part of it is stored.
    long Write(const char* data, std::size_t size, std::int64_t offset, std::int64_t capacity);
    long Read(char* data, std::size_t size, std::int64_t offset) const;
    int Truncate(std::int64_t size, std::int64_t capacity);
    int SetTimes(const struct timespec times[2]);
    int SetMode(mode_t mode);
    int Stat(struct stat& st) const;

    const std::string& Path() const { return m_path; }
    std::int64_t Size() const { return m_size; }
    // A write or a truncation came (whether it succeeded or not).
    bool Written() const { return m_bWritten; }
    // Why the file must not be stored; 0 while it may.
    int Failure() const { return m_failure; }
    // The bytes are all written: the descriptor closes before the add reads the file. 0, or
    // -errno.
    int Finish();

private:
    int Fail(int error) {
        m_failure = error;
        return -error;
    }
    void Remove();

    std::string m_folder;
    std::string m_path;
    UniqueFd m_fd;
    std::int64_t m_size = 0;
    int m_failure = 0;
    bool m_bWritten = false;
};

}  // namespace orv::mount

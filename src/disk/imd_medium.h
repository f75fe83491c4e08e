// An ImageDisk (.IMD) file in the drive. Orvalis reads such a file and never writes it: a
// diskette that the file records as read once stays exactly that record, and the way to work
// on it is a plain image made from it.
#pragma once

#include <memory>
#include <string>

#include "disk/file_lock.h"
#include "disk/imd_file.h"
#include "disk/medium.h"
#include "host/unique_fd.h"

namespace orv {

class ImdMedium final : public IMedium {
public:
    // Reads the whole file. False, with a message naming the file and what was found, when it
    // cannot be read or cannot hold a 1.44 MB diskette.
    bool Load(const std::string& path, std::string& error);

    // Fails when any sector of the request is one the file does not hold as read.
    Status Read(int first, int count, std::uint8_t* buffer) override;
    Status Write(int first, int count, const std::uint8_t* buffer) override;
    std::string Describe() const override { return m_path; }
    bool Lock(std::string& error) override;
    void Unlock() override;
    std::string WriteRefusal() const override;
    bool FormatTakesWrites() const override { return false; }

    const ImdDiskette& Diskette() const { return m_diskette; }

private:
    static Status Fail(IoError cause) { return Status::Failure(cause); }
    std::string m_path;
    UniqueFd m_fd;  // kept open for the lock: another program of ours is refused meanwhile
    ImdDiskette m_diskette;
    FileLock m_lock;
};

// The medium for an ImageDisk file, or null with the message in error.
std::shared_ptr<IMedium> LoadImdMedium(const std::string& path, std::string& error);

// What the user is told for a write on an ImageDisk file, and how to get an image that takes
// writes.
std::string ImdWriteRefusalText(const std::string& path);

}  // namespace orv

// A diskette image file of exactly 2880 x 512 bytes, with an optional IMAGE.faults sidecar, or
// an image that another tool read, with the ddrescue mapfile that says which sectors it holds.
#pragma once

#include <string>

#include "disk/fault_map.h"
#include "disk/file_lock.h"
#include "disk/medium.h"
#include "host/unique_fd.h"

namespace orv {

// What the user is told for a write on an image file that may not be written.
std::string ReadOnlyImageText(const std::string& path);

class ImageMedium final : public IMedium {
public:
    // Loads the image, its sidecar and its mapfile: the one named, or else one found beside the
    // image (FindMapfile). A missing image is an empty drive (every request fails, and the image
    // is looked for again at the next request). A file of another size, a malformed sidecar, or
    // a mapfile that is missing (when named), does not parse or does not cover the diskette
    // makes Load fail with a message for the user.
    //
    // With a mapfile, a sector reads only where the mapfile gives it as finished; the sidecar
    // adds only its other kinds (unwritable, write-protected). The image may then be shorter
    // than a diskette: its missing tail is unreadable, and writes there are stored (the file
    // grows). A sector that does not read takes writes but stays unreadable until the image is
    // loaded again, as an `unreadable` fault does.
    bool Load(const std::string& path, std::string& error, const std::string& mapfile = {});

    Status Read(int first, int count, std::uint8_t* buffer) override;
    Status Write(int first, int count, const std::uint8_t* buffer) override;
    // fdatasync: the host writes its pages of the image back in an order of its own.
    Status Flush() override;
    bool Lock(std::string& error) override;
    void Unlock() override;
    std::string Describe() const override { return m_path; }
    bool WriteProtected() const override { return m_bReadOnly || m_faults.WriteProtected(); }
    // An image file that may not be written (no write permission, a read-only file system)
    // takes no write for as long as it is in the drive: every writing command is refused up
    // front, naming the file.
    std::string WriteRefusal() const override;

    bool Present() const { return m_fd.Valid(); }
    const FaultMap& Faults() const { return m_faults; }
    // The mapfile that says what reads, or empty when there is none.
    const std::string& Mapfile() const { return m_mapfile; }

private:
    bool LoadFaults(std::string& error);  // the sidecar and the mapfile, when there are any
    bool EnsureOpen();                    // opens an image that was missing at Load
    bool Open();
    bool SizeFits(std::int64_t size) const;  // exactly a diskette, or shorter with a mapfile
    IoError NotOpenCause() const;
    static Status Fail(IoError cause) { return Status::Failure(cause); }
    std::string m_path;
    std::string m_namedMapfile;  // given to Load; empty: one beside the image, if any
    std::string m_mapfile;       // in use
    UniqueFd m_fd;
    FaultMap m_faults;
    bool m_bReadOnly = false;
    FileLock m_lock;
};

// Creates a blank image (all zero bytes). Refuses to overwrite an existing file.
bool CreateBlankImage(const std::string& path, std::string& error);

}  // namespace orv

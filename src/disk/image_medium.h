// A diskette image file of exactly 2880 x 512 bytes, with an optional IMAGE.faults sidecar, or
// an image that another tool read, with the ddrescue mapfile that says which sectors it holds.
#pragma once

#include <string>

#include "disk/fault_map.h"
#include "disk/file_lock.h"
#include "disk/medium.h"
#include "host/unique_fd.h"

namespace orv {

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

    bool Read(int first, int count, std::uint8_t* buffer) override;
    bool Write(int first, int count, const std::uint8_t* buffer) override;
    // fdatasync: the host writes its pages of the image back in an order of its own.
    bool Flush() override;
    IoError LastError() const override { return m_lastError; }
    bool Lock(std::string& error) override;
    void Unlock() override;
    std::string Describe() const override { return m_path; }
    bool WriteProtected() const override { return m_bReadOnly || m_faults.WriteProtected(); }

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
    bool Fail(IoError cause) {
        m_lastError = cause;
        return false;
    }
    std::string m_path;
    std::string m_namedMapfile;  // given to Load; empty: one beside the image, if any
    std::string m_mapfile;       // in use
    UniqueFd m_fd;
    FaultMap m_faults;
    bool m_bReadOnly = false;
    IoError m_lastError = IoError::None;
    FileLock m_lock;
};

// Creates a blank image (all zero bytes). Refuses to overwrite an existing file.
bool CreateBlankImage(const std::string& path, std::string& error);

}  // namespace orv

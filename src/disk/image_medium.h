// A diskette image file of exactly 2880 x 512 bytes, with an optional IMAGE.faults sidecar.
#pragma once

#include <string>

#include "disk/fault_map.h"
#include "disk/file_lock.h"
#include "disk/medium.h"
#include "host/unique_fd.h"

namespace orv {

class ImageMedium final : public IMedium {
public:
    // Loads the image and its sidecar. A missing image is an empty drive (every request fails,
    // and the image is looked for again at the next request). A file of another size or a
    // malformed sidecar makes Load fail with a message for the user.
    bool Load(const std::string& path, std::string& error);

    bool Read(int first, int count, std::uint8_t* buffer) override;
    bool Write(int first, int count, const std::uint8_t* buffer) override;
    IoError LastError() const override { return m_lastError; }
    bool Lock(std::string& error) override;
    void Unlock() override;
    std::string Describe() const override { return m_path; }
    bool WriteProtected() const override { return m_bReadOnly || m_faults.WriteProtected(); }

    bool Present() const { return m_fd.Valid(); }
    const FaultMap& Faults() const { return m_faults; }

private:
    bool LoadFaults(std::string& error);  // the sidecar, when there is one
    bool EnsureOpen();                    // opens an image that was missing at Load
    bool Open();
    IoError NotOpenCause() const;
    bool Fail(IoError cause) {
        m_lastError = cause;
        return false;
    }
    std::string m_path;
    UniqueFd m_fd;
    FaultMap m_faults;
    bool m_bReadOnly = false;
    IoError m_lastError = IoError::None;
    FileLock m_lock;
};

// Creates a blank image (all zero bytes). Refuses to overwrite an existing file.
bool CreateBlankImage(const std::string& path, std::string& error);

}  // namespace orv

// A raw block device (a USB floppy drive, or a loop device in tests), read and written with
// O_DIRECT so that every request reaches the medium and a bad sector fails only the requests
// that cover it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "disk/device_hold.h"
#include "disk/medium.h"
#include "host/unique_fd.h"

namespace orv {

class BlockDeviceMedium final : public IMedium {
public:
    BlockDeviceMedium();
    ~BlockDeviceMedium() override;
    BlockDeviceMedium(const BlockDeviceMedium&) = delete;
    BlockDeviceMedium& operator=(const BlockDeviceMedium&) = delete;

    bool Load(const std::string& path, std::string& error);
    // Takes over a descriptor of the device opened elsewhere (granted through udisks2, say):
    // switched to O_DIRECT and checked as Load checks the device it opens.
    bool Attach(UniqueFd fd, const std::string& path, bool readOnly, std::string& error);
    Status Read(int first, int count, std::uint8_t* buffer) override;
    Status Write(int first, int count, const std::uint8_t* buffer) override;
    // fsync: O_DIRECT passes the host's pages by, but the drive may still hold writes in a
    // cache of its own; this flushes it.
    Status Flush() override;
    bool Lock(std::string& error) override;
    void Unlock() override;
    std::string Describe() const override { return m_path; }
    bool WriteProtected() const override { return m_bReadOnly; }

private:
    struct FreeAligned {
        void operator()(std::uint8_t* p) const;
    };
    static Status Fail(IoError cause) { return Status::Failure(cause); }
    // The cause of a failed transfer, from its errno.
    IoError ReadCause(int error) const;
    IoError WriteCause(int error) const;

    std::string m_path;
    UniqueFd m_fd;
    bool m_bReadOnly = false;
    DeviceHold m_lock;
    std::unique_ptr<std::uint8_t, FreeAligned> m_buffer;  // aligned for O_DIRECT
};

}  // namespace orv

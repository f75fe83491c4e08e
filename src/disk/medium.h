// A medium is what sits in the drive: an image file, a block device or memory.
#pragma once

#include <cstdint>
#include <string>

#include "disk/result.h"

namespace orv {

// Every request succeeds or fails as a whole: a failed request transfers nothing that the
// caller may rely on, and a failed write changes no sector that the fault model keeps intact.
// A failure carries its cause. A medium that cannot tell fails with IoError::None, and the
// drive then takes the failure for one of the request's sectors.
class IMedium {
public:
    virtual ~IMedium() = default;
    virtual Status Read(int first, int count, std::uint8_t* buffer) = 0;
    virtual Status Write(int first, int count, const std::uint8_t* buffer) = 0;
    // A barrier: every write that succeeded before it is on the medium itself before any write
    // after it, whatever cache lies between (the host's pages of an image, a drive's own
    // cache). A failure when that cannot be had, saying why. A medium that holds nothing back
    // has nothing to do.
    virtual Status Flush() { return {}; }
    // A short human-readable name: the path of the image or device.
    virtual std::string Describe() const = 0;
    // Empty when the medium may take writes. Otherwise it never does (an ImageDisk file), and
    // this says why, for the user: an operation that would write is refused with it before it
    // begins, rather than failing at its first write.
    virtual std::string WriteRefusal() const { return {}; }
    // True when, as far as can be told without writing, every write would fail as
    // write-protected (a tab set, an image that only opens for reading, a sidecar that says
    // so): a program that offers writing can say so before anything is tried.
    virtual bool WriteProtected() const { return !WriteRefusal().empty(); }
    // False when no write could ever go into the medium's format, whoever holds it (an
    // ImageDisk file): unlike a read-only image, nothing the user may change would help.
    virtual bool FormatTakesWrites() const { return true; }

    // Holds the image or device for this program until Unlock: another program that tries is
    // refused, and while another program holds it, every request here fails with InUse. False
    // when the lock cannot be had now, with a message for the user in error. A medium that
    // nobody else can reach (memory) has nothing to lock.
    virtual bool Lock(std::string& error) {
        (void)error;
        return true;
    }
    virtual void Unlock() {}
};

}  // namespace orv

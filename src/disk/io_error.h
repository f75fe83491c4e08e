// Why a sector request failed. The cause travels in the request's result (disk/result.h), so
// that a caller can tell a sector that refuses from a drive that cannot work at all.
#pragma once

#include <cstdint>

namespace orv {

enum class IoError : std::uint8_t {
    None,            // the request succeeded
    Unreadable,      // a sector of the request cannot be read
    Unwritable,      // a sector of the request refuses a write
    WriteProtected,  // the diskette (or the image, or the device) takes no writes at all
    NoMedium,        // no diskette in the drive
    InUse,           // another program holds the diskette
    HostError,       // the host failed the request (input/output error of the file or device)
};

// True when the whole drive fails rather than one sector: whatever the operation tries next
// fails the same way, so it must stop instead of marking units bad or looking for other sectors.
constexpr bool IsDriveFailure(IoError e) {
    return e == IoError::WriteProtected || e == IoError::NoMedium || e == IoError::InUse ||
           e == IoError::HostError;
}

// A few words for the user: "sector unreadable", "write-protected", ...
const char* IoErrorText(IoError e);

}  // namespace orv

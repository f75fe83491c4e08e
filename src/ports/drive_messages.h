// What the user is told when the diskette cannot be opened, or the drive fails as a whole.
#pragma once

#include <cerrno>
#include <string>

#include "disk/io_error.h"

namespace orv {

// The message of an OpenDiskette failure code, as the open and change prompts show it.
std::string OpenErrorText(int code);
// The message for a drive that fails as a whole: write-protected, empty, held by another
// program, or failing.
std::string DriveFailureText(IoError cause);

// The errno a program reading the diskette as files gets for a drive that fails as a whole.
constexpr int ErrnoOf(IoError cause) {
    switch (cause) {
        case IoError::WriteProtected:
            return EROFS;
        case IoError::NoMedium:
            return ENOMEDIUM;
        case IoError::InUse:
            return EBUSY;
        default:
            return EIO;
    }
}

}  // namespace orv

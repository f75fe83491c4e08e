// The errno a program in the mounted folder gets for a drive that failed.
#pragma once

#include <cerrno>

#include "disk/io_error.h"

namespace orv::mount {

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

}  // namespace orv::mount

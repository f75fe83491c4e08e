#include "disk/io_error.h"

namespace orv {

const char* IoErrorText(IoError e) {
    switch (e) {
        case IoError::None:
            return "no error";
        case IoError::Unreadable:
            return "sector unreadable";
        case IoError::Unwritable:
            return "sector unwritable";
        case IoError::WriteProtected:
            return "write-protected";
        case IoError::NoMedium:
            return "no diskette in the drive";
        case IoError::InUse:
            return "in use by another program";
        case IoError::HostError:
            return "input/output error";
    }
    return "unknown error";
}

}  // namespace orv

#include "ports/drive_messages.h"

namespace orv {

std::string OpenErrorText(int code) {
    switch (code) {
        case -3:
            return "Diskette is not in drive, or this diskette is damaged.\nYou can use Disk "
                   "service, or Format. (from Orvalis)";
        case -2:
            return "Error reading FAT.\nTry to run Disk Service tools.";
        case -1:
            return "Diskette is not formated for Orvalis.";
        default:
            return "Unknown error while openning diskette";
    }
}

std::string DriveFailureText(IoError cause) {
    switch (cause) {
        case IoError::NoMedium:
            return OpenErrorText(-3);
        case IoError::InUse:
            return "The diskette is in use by another program.\nClose it there and try again.";
        case IoError::HostError:
            return "The drive reported an input/output error.\nCheck the drive and the diskette "
                   "and try again.";
        default:
            return "Unable to write on the diskette.\nDiskette is probably write protected.\nIf "
                   "not so, disk is damaged and cannot be used anymore.";
    }
}

}  // namespace orv

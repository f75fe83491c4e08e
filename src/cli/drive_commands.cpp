#include "cli/drive_commands.h"

#include <iostream>

#include "disk/image_medium.h"

namespace orv::cli {

int MkImageCommand(Session& s, std::string path) {
    if (path.empty()) path = s.options.drive;
    if (path.empty()) {
        std::cerr << "orvalis-cli: mkimage needs PATH or --drive" << std::endl;
        return kUsageError;
    }
    std::string error;
    if (!CreateBlankImage(path, error)) {
        std::cerr << "orvalis-cli: " << error << std::endl;
        return 1;
    }
    return 0;
}

int OpenCommand(Session& s) {
    if (s.doc->IsOpen()) {
        std::cerr << "orvalis-cli: a diskette is open already; close it first" << std::endl;
        return 1;
    }
    return s.Open() ? 0 : 1;
}

int CloseCommand(Session& s) {
    s.doc->CloseDiskette();
    return 0;
}

int InsertCommand(Session& s, const std::string& path, const std::string& mapfile) {
    std::string error;
    if (!s.drive.Insert(path, error, MediumOptions{mapfile})) {
        std::cerr << "orvalis-cli: " << error << std::endl;
        return 1;
    }
    s.DriveChosen();
    return 0;
}

int EjectCommand(Session& s) {
    s.drive.Eject();
    s.DriveChosen();
    return 0;
}

}  // namespace orv::cli

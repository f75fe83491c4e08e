// Everything the window puts into drive A: goes through here: an image file or a device the
// user chose, or a blank image just made. A device this user may not open is asked for through
// the device opener (udisks2); every image that went in joins the recent images.
#pragma once

#include <string>

#include "ports/user_port.h"

namespace orv {

class CDrive;
class CRecentImages;
class IDeviceOpener;

class CDriveControl {
public:
    // Without a recent list nothing is remembered; without an opener a device that this user
    // may not open is refused with the advice how to get access.
    explicit CDriveControl(CDrive& drive, CRecentImages* recent = nullptr,
                           IDeviceOpener* opener = nullptr);

    // Puts the image or device into the drive; false with the reason in error, the drive
    // keeping what it had.
    bool Insert(const std::string& path, std::string& error);
    // The same, telling the user why when it fails.
    bool Insert(const std::string& path, IUserPort& user);
    // Creates a blank image (all zero bytes; an existing file is never overwritten) and puts it
    // into the drive.
    bool InsertNewBlank(const std::string& path, IUserPort& user);

    CDrive& Drive() { return m_drive; }
    CRecentImages* Recent() { return m_pRecent; }

private:
    CDrive& m_drive;
    CRecentImages* m_pRecent;
    IDeviceOpener* m_pOpener;
};

}  // namespace orv

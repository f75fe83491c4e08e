#include "ui/platform/drive_control.h"

#include <sys/stat.h>

#include "disk/device_access.h"
#include "disk/drive.h"
#include "disk/image_medium.h"
#include "ui/platform/device_opener.h"
#include "ui/platform/recent_images.h"

namespace orv {

namespace {

// An image worth offering again: a device has the Drive menu, and a missing file (which the
// drive takes for an empty one) is nothing to go back to.
bool IsImageFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

CDriveControl::CDriveControl(CDrive& drive, CRecentImages* recent, IDeviceOpener* opener)
    : m_drive(drive), m_pRecent(recent), m_pOpener(opener) {}

bool CDriveControl::Insert(const std::string& path, std::string& error) {
    if (m_drive.Insert(path, error)) {
        if (m_pRecent && IsImageFile(path)) m_pRecent->Add(path);
        return true;
    }
    if (!m_pOpener || !DeviceAccessDenied(path)) return false;
    // The refusal with its advice stays what the user reads when no grant comes.
    std::string ignored;
    std::shared_ptr<IMedium> granted = m_pOpener->Open(path, ignored);
    if (!granted) return false;
    m_drive.InsertMedium(std::move(granted), path);
    return true;
}

bool CDriveControl::Insert(const std::string& path, IUserPort& user) {
    std::string error;
    if (Insert(path, error)) return true;
    Notify(user, error, Icon::Stop);
    return false;
}

bool CDriveControl::InsertNewBlank(const std::string& path, IUserPort& user) {
    std::string error;
    if (!CreateBlankImage(path, error)) {
        Notify(user, error, Icon::Stop);
        return false;
    }
    return Insert(path, user);
}

}  // namespace orv

// The commands that put something into drive A:: another image, a new blank image, an image
// used before, a drive of the machine. Each runs only while no diskette is open.
#include <QAction>
#include <QActionGroup>
#include <QFontMetrics>
#include <QMenu>
#include <algorithm>
#include <filesystem>

#include "disk/floppy_drives.h"
#include "disk/image_medium.h"
#include "transfer/document.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/platform/drive_control.h"
#include "ui/platform/qt_user_port.h"
#include "ui/platform/recent_images.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

// Wide enough for most paths; longer ones lose their middle, the prompt shows them whole.
constexpr int kMenuPathWidth = 420;
// The open diskette is the one in the drive; another may go in only once it is closed.
constexpr const char* kCannotChangeOpen =
    "Diskette is open. Close diskette before you put another one into drive A:.";

}  // namespace

std::string COrvalisView::DrivePath() const {
    return m_doc.Drive().Path();
}

std::string COrvalisView::DriveMapfile() const {
    const auto image = std::dynamic_pointer_cast<ImageMedium>(m_doc.Drive().Medium());
    return image ? image->Mapfile() : std::string();
}

std::string COrvalisView::DriveStatusText() const {
    const std::string mapfile = DriveMapfile();
    return "Drive A: " + DrivePath() +
           (mapfile.empty() ? std::string()
                            : " (read as its ddrescue mapfile " + mapfile + " says)");
}

void COrvalisView::OnInsertImage() {
    if (InsertImageFromChooser(m_drive, m_chooser, m_user)) SetStatusText(DriveStatusText());
}

void COrvalisView::OnNewImage() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = "New blank image";
    request.initialName = "diskette.img";
    request.filter = kImageFilter;
    // An existing file is never replaced: it may be an image full of files.
    request.confirmOverwrite = false;
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    if (m_drive.InsertNewBlank(chosen.front(), m_user))
        SetStatusText("Drive A: " + m_doc.Drive().Path() + " (blank: format it before use)");
}

void COrvalisView::FillRecentImagesMenu(QMenu& menu) {
    const CRecentImages* recent = m_drive.Recent();
    if (!recent || recent->Paths().empty()) {
        menu.addAction("No recent images")->setEnabled(false);
        return;
    }
    const QFontMetrics fm(menu.font());
    int number = 0;
    for (const std::string& path : recent->Paths()) {
        const QString shown =
            fm.elidedText(QString::fromStdString(path), Qt::ElideMiddle, kMenuPathWidth);
        // Numbers 1..9 and 0 for the tenth serve as access keys.
        QAction* action = menu.addAction(QString("&%1 %2").arg(++number % 10).arg(shown));
        action->setStatusTip(QString::fromStdString(path));
        action->setEnabled(!m_bOpen);
        connect(action, &QAction::triggered, this, [this, path] { OnInsertFromMenu(path, true); });
    }
}

void COrvalisView::FillDriveMenu(QMenu& menu) {
    const std::string inDrive = DrivePath();
    auto* group = new QActionGroup(&menu);
    auto addEntry = [&](const std::string& path, const QString& text) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(path == inDrive);
        action->setStatusTip(QString::fromStdString(path));
        action->setEnabled(!m_bOpen);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, path] { OnInsertFromMenu(path, false); });
    };
    const std::vector<FloppyDrive> drives = FindFloppyDrives(m_strSysRoot);
    const bool deviceInDrive = std::any_of(drives.begin(), drives.end(),
                                           [&](const auto& d) { return d.device == inDrive; });
    // What the drive holds stands beside the drives, so that the choice shows what is in.
    if (!inDrive.empty() && !deviceInDrive) {
        const bool device = inDrive.rfind("/dev/", 0) == 0;
        addEntry(
            inDrive,
            QString::fromStdString(
                device ? inDrive : "Image " + std::filesystem::path(inDrive).filename().string()));
        menu.addSeparator();
    }
    if (drives.empty()) {
        menu.addAction("No 1.44 MB drive found")->setEnabled(false);
        return;
    }
    for (const FloppyDrive& d : drives)
        addEntry(d.device,
                 QString::fromStdString(d.model.empty() ? d.device : d.device + "  " + d.model));
}

void COrvalisView::OnInsertFromMenu(const std::string& path, bool recent) {
    // A submenu stays open no longer than a state change: the rule is checked again here.
    if (!CanRun(recent ? ID_RECENT_IMAGES : ID_DRIVE_MENU)) return;
    if (path == DrivePath()) return;
    std::error_code ec;
    if (recent && !std::filesystem::exists(path, ec)) {
        // A missing image would be an empty drive; the entry is of no use any more.
        Say(path + "\n\nThis image no longer exists. It is taken off the list of recent images.",
            Buttons::Ok, Icon::Exclamation);
        if (CRecentImages* list = m_drive.Recent()) list->Remove(path);
        return;
    }
    PutIntoDrive(path);
}

bool COrvalisView::PutIntoDrive(const std::string& path) {
    if (m_bOpen) {
        Say(kCannotChangeOpen, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    if (path == DrivePath()) return true;
    const bool inserted = m_drive.Insert(path, m_user);
    if (inserted) SetStatusText(DriveStatusText());
    emit commandStateChanged();
    return inserted;
}

}  // namespace orv

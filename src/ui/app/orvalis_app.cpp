#include "ui/app/orvalis_app.h"

#include <QScreen>
#include <QTimer>

#include "disk/default_drive.h"
#include "transfer/document.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/bad_sector_report_dialog.h"
#include "ui/dialogs/qt_file_chooser.h"
#include "ui/frame/main_frame.h"
#include "ui/platform/drive_control.h"
#include "ui/platform/qt_user_port.h"
#include "ui/platform/recent_images.h"
#include "ui/platform/udisks_opener.h"
#include "ui/progress/progress_runner.h"
#include "ui/splash/splash_wnd.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

// Room for the list's five columns and some rows, within the screen the window opens on: at a
// scale of 2 a small screen has few logical pixels.
QSize FirstWindowSize(const QWidget& window) {
    const QSize wanted(760, 520);
    const QScreen* screen = window.screen();
    if (!screen) return wanted;
    return wanted.boundedTo(screen->availableGeometry().size() * 0.9);
}

}  // namespace

COrvalisApp::COrvalisApp()
    : m_pRecent(std::make_unique<CRecentImages>(RecentImagesFile())),
      m_pOpener(std::make_unique<CUdisksOpener>()),
      m_pDriveControl(std::make_unique<CDriveControl>(m_drive, m_pRecent.get(), m_pOpener.get())),
      m_pChooser(std::make_unique<CQtFileChooser>()),
      m_pUser(std::make_unique<CQtUserPort>(*m_pDriveControl, *m_pChooser)),
      m_pProgress(std::make_unique<CProgressRunner>(*m_pUser)),
      m_pReport(std::make_unique<CReportPort>(*m_pUser, *m_pChooser)),
      m_pDoc(std::make_unique<COrvalisDoc>(
          m_drive, DocPorts{m_pUser.get(), m_pProgress.get(), m_pReport.get()})) {
    // A copy reads a unit per request: without the read-ahead, each costs a turn of a real drive.
    m_drive.SetTrackBuffer(true);
}

COrvalisApp::~COrvalisApp() {
    // The window goes first: its view refers to the document and the ports.
    m_pFrame.reset();
}

bool COrvalisApp::InitInstance(const CommandLine& commandLine) {
    CSplashWnd::EnableSplashScreen(commandLine.splash);
    if (!commandLine.file.empty()) m_strStartFile = StoredFilePath(commandLine.file);
    const std::string driveProblem = InsertDrive(commandLine);

    m_pFrame = std::make_unique<CMainFrame>();
    auto* view = new COrvalisView(*m_pDoc, *m_pUser, *m_pChooser, m_pDriveControl.get());
    if (!m_pFrame->Create(view)) return false;
    view->OnInitialUpdate(m_strStartFile);
    m_pFrame->resize(FirstWindowSize(*m_pFrame));
    m_pFrame->show();
    CSplashWnd::ShowSplashScreen(m_pFrame.get());

    if (!commandLine.error.empty()) Notify(*m_pUser, commandLine.error);
    if (!driveProblem.empty()) {
        Notify(*m_pUser, driveProblem, Icon::Stop);
    } else if (!commandLine.openPath.empty()) {
        // Once the window stands: the open may ask (a diskette not formatted) and lists the files.
        QTimer::singleShot(0, view, [view] { view->Commands().Run(ID_DISKETTE_OPEN); });
    }
    return true;
}

std::string COrvalisApp::InsertDrive(const CommandLine& commandLine) {
    std::string path = commandLine.openPath.empty() ? commandLine.drivePath : commandLine.openPath;
    std::string error;
    if (path.empty() && !PrepareDefaultDrive(path, error)) return error;
    if (!m_pDriveControl->Insert(path, error)) return error;
    return {};
}

}  // namespace orv

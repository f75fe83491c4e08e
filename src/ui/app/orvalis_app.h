// The application: drive A:, the ports through which the document talks to the user, the
// document, the main window and its file list, put together at start-up.
#pragma once

#include <memory>
#include <string>

#include "disk/drive.h"
#include "ui/app/command_line.h"

namespace orv {

class CDriveControl;
class CMainFrame;
class COrvalisDoc;
class COrvalisView;
class CProgressRunner;
class CQtFileChooser;
class CQtUserPort;
class CRecentImages;
class CReportPort;
class IDeviceOpener;

class COrvalisApp {
public:
    COrvalisApp();
    ~COrvalisApp();
    COrvalisApp(const COrvalisApp&) = delete;
    COrvalisApp& operator=(const COrvalisApp&) = delete;

    // The start-up sequence; false when the main window could not be made.
    bool InitInstance(const CommandLine& commandLine);

    CMainFrame& Frame() { return *m_pFrame; }
    COrvalisDoc& Doc() { return *m_pDoc; }
    CDrive& Drive() { return m_drive; }

    // The file named on the command line under its stored name; empty when none.
    std::string m_strStartFile;

private:
    // Puts the named (or the default) image into drive A:; what went wrong, or empty.
    std::string InsertDrive(const CommandLine& commandLine);

    CDrive m_drive;
    std::unique_ptr<CRecentImages> m_pRecent;
    std::unique_ptr<IDeviceOpener> m_pOpener;
    std::unique_ptr<CDriveControl> m_pDriveControl;
    std::unique_ptr<CQtFileChooser> m_pChooser;
    std::unique_ptr<CQtUserPort> m_pUser;
    std::unique_ptr<CProgressRunner> m_pProgress;
    std::unique_ptr<CReportPort> m_pReport;
    std::unique_ptr<COrvalisDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
};

}  // namespace orv

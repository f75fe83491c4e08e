// The main window: menu bar, the dockable toolbar, the status bar with its four panes, and
// the file list filling the client area.
#pragma once

#include <QMainWindow>
#include <array>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace orv {

class CCommandSet;
class CDrivePane;
class CHelpController;
class COrvalisView;

// The menus of the menu bar: their titles and commands from the top down, 0 for a separator.
struct MenuLayout {
    const char* title;
    std::vector<int> commands;
};
const std::vector<MenuLayout>& MenuBarLayout();
// The eight toolbar buttons, left to right.
const std::array<int, 8>& ToolbarCommands();

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars and puts the view into the client area. False when a bar could not be
    // made.
    bool Create(COrvalisView* view);

    // Puts text into a pane of the status bar (pane 0 is the message pane).
    void SetStatusText(const QString& text, int pane = 0, bool redraw = true);
    QString StatusText(int pane = 0) const;

    // The commands of the window (the view's set, with the frame's own bound): the one action
    // of each serves its menu item, its toolbar button and its keys.
    CCommandSet& Commands() const;
    QAction* Action(int id) const;
    // Recomputes enable and check state of every command from the rules.
    void UpdateCommandUI();

    QToolBar* ToolBar() const { return m_pToolBar; }
    CDrivePane* DrivePane() const { return m_pDrivePane; }
    COrvalisView* View() const { return m_pView; }
    CHelpController* Help() const { return m_pHelp; }

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BindCommands();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void ShowAbout();
    void UpdateLockPanes();
    // Follows the drive, whose medium a prompt inside an operation may change too.
    void UpdateDrivePane();

    COrvalisView* m_pView = nullptr;
    CHelpController* m_pHelp = nullptr;
    QToolBar* m_pToolBar = nullptr;
    std::vector<QLabel*> m_panes;  // message, CAP, NUM, SCRL
    CDrivePane* m_pDrivePane = nullptr;
    int m_nIndicatorTimer = 0;
};

}  // namespace orv

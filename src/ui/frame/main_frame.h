// The main window: menu bar, the dockable toolbar, the status bar with its four panes, and
// the file list filling the client area.
#pragma once

#include <QMainWindow>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace orv {

struct MenuItemSpec;
class CDrivePane;
class CHelpController;
class COrvalisView;

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

    // Every action that sends the command: menu item, toolbar button, keys.
    std::vector<QAction*> Actions(int id) const;
    // Recomputes enable and check state of every command from the view's rules.
    void UpdateCommandUI();
    // Sends a command as the menu would; false when it did not run.
    bool OnCommand(int id);

    QToolBar* ToolBar() const { return m_pToolBar; }
    CDrivePane* DrivePane() const { return m_pDrivePane; }
    COrvalisView* View() const { return m_pView; }
    CHelpController* Help() const { return m_pHelp; }

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    QAction* NewAction(int id, const QString& text);
    void ShowAbout();
    void UpdateLockPanes();
    // Follows the drive, whose medium a prompt inside an operation may change too.
    void UpdateDrivePane();
    QMenu* NewSubmenu(const MenuItemSpec& item, QMenu* parent);

    COrvalisView* m_pView = nullptr;
    CHelpController* m_pHelp = nullptr;
    QToolBar* m_pToolBar = nullptr;
    std::multimap<int, QAction*> m_actions;
    std::vector<QLabel*> m_panes;  // message, CAP, NUM, SCRL
    CDrivePane* m_pDrivePane = nullptr;
    int m_nIndicatorTimer = 0;
};

}  // namespace orv

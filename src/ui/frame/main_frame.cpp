#include "ui/frame/main_frame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimerEvent>
#include <QToolBar>

#include "ui/app/about_dlg.h"
#include "ui/frame/command_ids.h"
#include "ui/frame/command_table.h"
#include "ui/frame/drive_pane.h"
#include "ui/frame/help_controller.h"
#include "ui/frame/lock_indicators.h"
#include "ui/resources/pictures.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

constexpr int kIndicatorMs = 250;
constexpr const char* kIndicatorTexts[] = {"CAP", "NUM", "SCRL"};

bool IsFrameCommand(int id) {
    switch (id) {
        case ID_APP_EXIT:
        case ID_APP_ABOUT:
        case ID_HELP_FINDER:
        case ID_HELP:
        case ID_CONTEXT_HELP:
        case ID_DEFAULT_HELP:
        case ID_VIEW_TOOLBAR:
        case ID_VIEW_STATUS_BAR:
            return true;
        default:
            return false;
    }
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kNoDiskTitle);
    setWindowIcon(ApplicationIcon());
    setProperty("helpTopic", "main");
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create(COrvalisView* view) {
    if (!view) return false;
    m_pView = view;
    m_pView->setProperty("helpTopic", "list");
    setCentralWidget(view);
    m_pHelp = new CHelpController(this);
    BuildStatusBar();
    BuildToolBar();
    BuildMenus();
    connect(view, &COrvalisView::statusTextChanged, this,
            [this](const QString& text) { SetStatusText(text); });
    connect(view, &COrvalisView::titleChanged, this, &CMainFrame::setWindowTitle);
    connect(view, &COrvalisView::commandStateChanged, this, &CMainFrame::UpdateCommandUI);
    connect(view, &COrvalisView::aboutRequested, this, &CMainFrame::ShowAbout);
    connect(m_pHelp, &CHelpController::helpModeChanged, this, &CMainFrame::UpdateCommandUI);
    UpdateCommandUI();
    return m_pToolBar && statusBar() && menuBar();
}

QAction* CMainFrame::NewAction(int id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setIconVisibleInMenu(false);
    if (const MenuItemSpec* entry = FindCommandSpec(id)) action->setStatusTip(entry->prompt);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_actions.emplace(id, action);
    return action;
}

void CMainFrame::BuildMenus() {
    // In help mode the menus still open, so that a click on an item can ask for its topic.
    menuBar()->setAttribute(Qt::WA_CustomWhatsThis);
    for (const MenuSpec& entry : MenuBarSpec()) {
        QMenu* menu = menuBar()->addMenu(entry.title);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        connect(menu, &QMenu::aboutToHide, this, [this] { SetStatusText(kIdleStatusText); });
        for (const MenuItemSpec& item : entry.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            if (item.submenu) {
                NewSubmenu(item, menu);
                continue;
            }
            QAction* action = NewAction(item.id, item.text);
            if (CommandChecked(item.id, {}).has_value() || item.id == ID_VIEW_TOOLBAR ||
                item.id == ID_VIEW_STATUS_BAR)
                action->setCheckable(true);
            if (item.id == ID_DISKETTE_OPEN || item.id == ID_DISKETTE_CLOSE) {
                action->setIcon(MenuPicture(item.id));
                action->setIconVisibleInMenu(true);
            }
            menu->addAction(action);
        }
    }
    // Del deletes the selected files while Delete is enabled; Ctrl+C and Ctrl+V carry files
    // between the list and the desktop's clipboard.
    const struct {
        int id;
        const char* text;
        QKeySequence key;
    } keys[] = {{ID_FILE_DELETE, "Delete", QKeySequence(Qt::Key_Delete)},
                {ID_EDIT_COPY, "Copy to clipboard", QKeySequence::Copy},
                {ID_EDIT_PASTE, "Paste from clipboard", QKeySequence::Paste}};
    for (const auto& k : keys) {
        QAction* action = NewAction(k.id, k.text);
        action->setShortcut(k.key);
        action->setStatusTip({});
        addAction(action);
    }
}

QMenu* CMainFrame::NewSubmenu(const MenuItemSpec& item, QMenu* parent) {
    QMenu* submenu = parent->addMenu(item.text);
    QAction* opener = submenu->menuAction();
    opener->setData(item.id);
    opener->setStatusTip(item.prompt);
    m_actions.emplace(item.id, opener);
    // Filled afresh each time: the recent images and the drives change while the program runs.
    connect(submenu, &QMenu::aboutToShow, this, [this, submenu, id = item.id] {
        submenu->clear();
        if (m_pView) m_pView->FillSubmenu(id, *submenu);
    });
    return submenu;
}

void CMainFrame::BuildToolBar() {
    m_pToolBar = new QToolBar("Toolbar", this);
    m_pToolBar->setObjectName("toolbar");
    m_pToolBar->setIconSize(QSize(48, 45));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_pToolBar->setMovable(true);
    m_pToolBar->setFloatable(true);
    for (int id : ToolbarCommands()) {
        const MenuItemSpec* entry = FindCommandSpec(id);
        QAction* action = NewAction(id, entry ? entry->tooltip : "");
        action->setIcon(ToolbarPicture(id));
        if (entry) action->setToolTip(entry->tooltip);
        if (id == ID_CONTEXT_HELP) action->setCheckable(true);
        m_pToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    auto* message = new QLabel(kIdleStatusText, bar);
    message->setTextFormat(Qt::PlainText);
    message->setMinimumWidth(1);
    bar->addWidget(message, 1);
    m_panes.push_back(message);
    m_pDrivePane = new CDrivePane(bar);
    bar->addPermanentWidget(m_pDrivePane);
    const QFontMetrics fm(bar->font());
    for (const char* text : kIndicatorTexts) {
        auto* pane = new QLabel(bar);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(fm.horizontalAdvance(text) + 12);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(pane);
        m_panes.push_back(pane);
    }
    UpdateLockPanes();
    m_nIndicatorTimer = startTimer(kIndicatorMs);
}

void CMainFrame::SetStatusText(const QString& text, int pane, bool redraw) {
    if (pane < 0 || pane >= int(m_panes.size())) return;
    m_panes[std::size_t(pane)]->setText(text);
    if (redraw) m_panes[std::size_t(pane)]->repaint();
}

QString CMainFrame::StatusText(int pane) const {
    if (pane < 0 || pane >= int(m_panes.size())) return {};
    return m_panes[std::size_t(pane)]->text();
}

std::vector<QAction*> CMainFrame::Actions(int id) const {
    std::vector<QAction*> actions;
    auto [first, last] = m_actions.equal_range(id);
    for (auto it = first; it != last; ++it) actions.push_back(it->second);
    return actions;
}

void CMainFrame::UpdateCommandUI() {
    for (auto& [id, action] : m_actions) {
        bool enabled = false;
        bool checked = false;
        if (IsFrameCommand(id)) {
            enabled = true;
            if (id == ID_VIEW_TOOLBAR) checked = m_pToolBar && !m_pToolBar->isHidden();
            if (id == ID_VIEW_STATUS_BAR) checked = !statusBar()->isHidden();
            if (id == ID_CONTEXT_HELP) checked = m_pHelp && m_pHelp->InHelpMode();
        } else if (m_pView && m_pView->HandlesCommand(id)) {
            enabled = m_pView->IsCommandEnabled(id);
            checked = m_pView->IsCommandChecked(id);
        }
        action->setEnabled(enabled);
        if (action->isCheckable()) action->setChecked(checked);
    }
    UpdateDrivePane();
}

bool CMainFrame::OnCommand(int id) {
    if (m_pHelp && m_pHelp->TakeCommand(id)) {
        UpdateCommandUI();
        return true;
    }
    bool ran = true;
    switch (id) {
        case ID_APP_EXIT:
            close();
            break;
        case ID_APP_ABOUT:
            ShowAbout();
            break;
        case ID_HELP_FINDER:
        case ID_DEFAULT_HELP:
            m_pHelp->ShowTopics();
            break;
        case ID_HELP:
            m_pHelp->HelpForActive();
            break;
        case ID_CONTEXT_HELP:
            m_pHelp->EnterHelpMode();
            break;
        case ID_VIEW_TOOLBAR:
            m_pToolBar->setVisible(m_pToolBar->isHidden());
            break;
        case ID_VIEW_STATUS_BAR:
            statusBar()->setVisible(statusBar()->isHidden());
            break;
        default:
            ran = m_pView && m_pView->ExecuteCommand(id);
            break;
    }
    UpdateCommandUI();
    return ran;
}

void CMainFrame::ShowAbout() {
    CAboutDlg dlg(this);
    dlg.exec();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // A prompt while an item is highlighted, the idle text when it no longer is.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetStatusText(tip.isEmpty() ? QString(kIdleStatusText) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_nIndicatorTimer) {
        UpdateLockPanes();
        UpdateDrivePane();
    } else {
        QMainWindow::timerEvent(event);
    }
}

void CMainFrame::UpdateDrivePane() {
    if (m_pView && m_pDrivePane)
        m_pDrivePane->ShowPath(m_pView->DrivePath(), m_pView->DriveMapfile(), m_pView->DriveNote());
}

void CMainFrame::UpdateLockPanes() {
    const std::optional<LockKeys> keys = ReadLockKeys();
    const bool on[3] = {keys && keys->caps, keys && keys->num, keys && keys->scroll};
    for (int i = 0; i < 3; ++i) {
        const QString text = on[i] ? kIndicatorTexts[i] : "";
        if (m_panes[std::size_t(i) + 1]->text() != text) m_panes[std::size_t(i) + 1]->setText(text);
    }
}

}  // namespace orv

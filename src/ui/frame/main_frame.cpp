#include "ui/frame/main_frame.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimerEvent>
#include <QToolBar>

#include "ui/commands/command_ids.h"
#include "ui/commands/command_set.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/frame/drive_pane.h"
#include "ui/frame/frame_texts.h"
#include "ui/frame/help_controller.h"
#include "ui/frame/lock_indicators.h"
#include "ui/resources/pictures.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

constexpr int kIndicatorMs = 250;
constexpr const char* kIndicatorTexts[] = {"CAP", "NUM", "SCRL"};

}  // namespace

const std::vector<MenuLayout>& MenuBarLayout() {
    static const std::vector<MenuLayout> menus = {
        {"&Diskette",
         {ID_DISKETTE_OPEN,
          ID_DISKETTE_CLOSE,
          ID_DISKETTE_REFRESH,
          0,
          ID_INSERT_IMAGE,
          ID_NEW_IMAGE,
          ID_RECENT_IMAGES,
          ID_DRIVE_MENU,
          0,
          ID_MAKE_IMAGE,
          ID_MERGE_READS,
          ID_RESCUE_FILE,
          ID_SCAN_FOLDER,
          0,
          ID_VERIFICATION,
          ID_RESTORE_ATTRIBUTES,
          0,
          ID_DISKETTE_INFO,
          0,
          ID_APP_EXIT}},
        {"&File",
         {ID_FILE_ADD, ID_FILE_COPY, ID_FILE_DELETE, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
          ID_FILE_ADD_FROM, ID_FILE_COPY_AT, 0, ID_CREATE_REPAIR_FILE, ID_REPAIR_FILE}},
        {"&Tools", {ID_FORMAT, ID_DISK_SERVICE}},
        {"&View", {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}},
        {"&Help", {ID_HELP_FINDER, 0, ID_APP_ABOUT}},
    };
    return menus;
}

const std::array<int, 8>& ToolbarCommands() {
    static const std::array<int, 8> buttons = {ID_DISKETTE_OPEN,  ID_FILE_ADD,    ID_FILE_COPY,
                                               ID_DISKETTE_CLOSE, ID_FILE_DELETE, ID_DISKETTE_INFO,
                                               ID_APP_ABOUT,      ID_CONTEXT_HELP};
    return buttons;
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kNoDiskTitle);
    setWindowIcon(ApplicationIcon());
    setProperty("helpTopic", "main");
}

CMainFrame::~CMainFrame() {
    // The view and its commands go first: their slots and rules reach into this window.
    delete takeCentralWidget();
}

bool CMainFrame::Create(COrvalisView* view) {
    if (!view) return false;
    m_pView = view;
    m_pView->setProperty("helpTopic", "list");
    setCentralWidget(view);
    m_pHelp = new CHelpController(this);
    BuildStatusBar();
    BuildToolBar();
    BindCommands();
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

CCommandSet& CMainFrame::Commands() const {
    return m_pView->Commands();
}

QAction* CMainFrame::Action(int id) const {
    return m_pView ? m_pView->Commands().Action(id) : nullptr;
}

void CMainFrame::BindCommands() {
    CCommandSet& commands = Commands();
    commands.Bind(ID_APP_EXIT, [this] { close(); });
    commands.Bind(ID_APP_ABOUT, [this] { ShowAbout(); });
    commands.Bind(ID_HELP_FINDER, [this] { m_pHelp->ShowTopics(); });
    commands.Bind(ID_DEFAULT_HELP, [this] { m_pHelp->ShowTopics(); });
    commands.Bind(ID_HELP, [this] { m_pHelp->HelpForActive(); });
    commands.Bind(ID_CONTEXT_HELP, [this] { m_pHelp->EnterHelpMode(); });
    commands.Bind(ID_VIEW_TOOLBAR, [this] { m_pToolBar->setVisible(m_pToolBar->isHidden()); });
    commands.Bind(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    commands.AddStateSource([this](CommandState& s) {
        s.toolBar = m_pToolBar && !m_pToolBar->isHidden();
        s.statusBar = !statusBar()->isHidden();
        s.helpMode = m_pHelp && m_pHelp->InHelpMode();
    });
    // In help mode a command that still arrives (a key) opens its topic instead.
    commands.SetInterceptor([this](int id) { return m_pHelp && m_pHelp->TakeCommand(id); });
    connect(&commands, &CCommandSet::commandRan, this, [this] { UpdateDrivePane(); });
}

void CMainFrame::BuildMenus() {
    // In help mode the menus still open, so that a click on an item can ask for its topic.
    menuBar()->setAttribute(Qt::WA_CustomWhatsThis);
    for (const MenuLayout& entry : MenuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(entry.title);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        connect(menu, &QMenu::aboutToHide, this, [this] { SetStatusText(kIdleStatusText); });
        for (int id : entry.commands) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(Action(id));
        }
    }
}

void CMainFrame::BuildToolBar() {
    m_pToolBar = new QToolBar("Toolbar", this);
    m_pToolBar->setObjectName("toolbar");
    m_pToolBar->setIconSize(QSize(48, 45));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_pToolBar->setMovable(true);
    m_pToolBar->setFloatable(true);
    for (int id : ToolbarCommands()) m_pToolBar->addAction(Action(id));
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

void CMainFrame::UpdateCommandUI() {
    if (m_pView) Commands().Update();
    UpdateDrivePane();
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
        m_pDrivePane->ShowPath(m_pView->DrivePath(), m_pView->DriveMapfile());
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

#include "ui/frame/help_controller.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/frame/command_ids.h"

namespace orv {

namespace {

const char* const kHelpSource = "qrc:/help/orvalis.html";

QDialog* MakeHelpWindow(QWidget* parent, QTextBrowser*& browser) {
    auto* window = new QDialog(parent, Qt::Window);
    window->setWindowTitle("Orvalis Help");
    window->setAttribute(Qt::WA_QuitOnClose, false);  // closing the main window ends the program
    window->resize(560, 480);
    browser = new QTextBrowser(window);
    browser->setOpenLinks(true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    return window;
}

void CloseOpenMenus() {
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

}  // namespace

QString CommandTopic(int commandId) {
    switch (commandId) {
        case ID_HELP_FINDER:
        case ID_DEFAULT_HELP:
            return "topics";
        case ID_CONTEXT_ABOUT:
            return QString("cmd-%1").arg(int(ID_APP_ABOUT));
        case ID_PROPERTIES_ONE:
        case ID_PROPERTIES_MANY:
            return "properties";
        default:
            return QString("cmd-%1").arg(commandId);
    }
}

CHelpController::CHelpController(QWidget* mainWindow)
    : QObject(mainWindow), m_pMainWindow(mainWindow) {
    qApp->installEventFilter(this);
}

CHelpController::~CHelpController() {
    qApp->removeEventFilter(this);
    if (m_bHelpMode) QApplication::restoreOverrideCursor();
}

void CHelpController::ShowTopics() {
    ShowTopic("topics");
}

void CHelpController::ShowTopic(const QString& anchor) {
    m_strLastTopic = anchor;
    const QUrl url(QString("%1#%2").arg(kHelpSource, anchor));
    if (QWidget* modal = QApplication::activeModalWidget()) {
        // Windows outside a modal dialog take no input, so the topic opens as a dialog of its own.
        QTextBrowser* browser = nullptr;
        QDialog* window = MakeHelpWindow(modal, browser);
        window->setAttribute(Qt::WA_DeleteOnClose);
        browser->setSource(url);
        window->open();
        return;
    }
    if (!m_pWindow) m_pWindow = MakeHelpWindow(m_pMainWindow, m_pBrowser);
    m_pBrowser->setSource(url);
    m_pBrowser->scrollToAnchor(anchor);
    m_pWindow->show();
    m_pWindow->raise();
    m_pWindow->activateWindow();
}

void CHelpController::ShowCommandTopic(int commandId) {
    ShowTopic(CommandTopic(commandId));
}

void CHelpController::HelpForActive() {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        if (QAction* action = menu->activeAction(); action && action->data().isValid()) {
            const int id = action->data().toInt();
            CloseOpenMenus();
            ShowCommandTopic(id);
            return;
        }
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        ShowTopic(TopicOfWidget(modal));
        return;
    }
    ShowTopic("main");
}

QString CHelpController::TopicOfWidget(const QWidget* widget) const {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString topic = w->property("helpTopic").toString();
        if (!topic.isEmpty()) return topic;
    }
    return "topics";
}

void CHelpController::EnterHelpMode() {
    if (m_bHelpMode) return;
    m_bHelpMode = true;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    emit helpModeChanged(true);
}

void CHelpController::LeaveHelpMode() {
    if (!m_bHelpMode) return;
    m_bHelpMode = false;
    QApplication::restoreOverrideCursor();
    emit helpModeChanged(false);
}

bool CHelpController::TakeCommand(int commandId) {
    if (!m_bHelpMode) return false;
    LeaveHelpMode();
    ShowCommandTopic(commandId);
    return true;
}

bool CHelpController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::ShiftModifier) {
            EnterHelpMode();
            return true;
        }
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            LeaveHelpMode();
            HelpForActive();
            return true;
        }
        if (m_bHelpMode && key->key() == Qt::Key_Escape && !QApplication::activePopupWidget()) {
            LeaveHelpMode();
            return true;
        }
        return false;
    }
    if (!m_bHelpMode || !watched->isWidgetType()) return false;
    return HelpModeClick(static_cast<QWidget*>(watched), event);
}

bool CHelpController::HelpModeClick(QWidget* widget, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease) return false;
    const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        // Choosing an item in help mode opens its topic and leaves the command alone.
        QAction* action = menu->actionAt(pos);
        if (type != QEvent::MouseButtonRelease || !action || action->menu()) return false;
        if (!action->data().isValid()) return true;
        const int id = action->data().toInt();
        CloseOpenMenus();
        LeaveHelpMode();
        ShowCommandTopic(id);
        return true;
    }
    if (qobject_cast<QMenuBar*>(widget)) return false;  // menus open as usual
    if (type != QEvent::MouseButtonPress) return true;
    QWidget* target = widget;
    if (auto* bar = qobject_cast<QToolBar*>(widget))
        if (QWidget* child = bar->childAt(pos)) target = child;
    LeaveHelpMode();
    if (auto* button = qobject_cast<QToolButton*>(target);
        button && button->defaultAction() && button->defaultAction()->data().isValid()) {
        ShowCommandTopic(button->defaultAction()->data().toInt());
        return true;
    }
    ShowTopic(TopicOfWidget(target));
    return true;
}

}  // namespace orv

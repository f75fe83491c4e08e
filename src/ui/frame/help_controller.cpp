#include "ui/frame/help_controller.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>
#include <utility>

#include "ui/commands/command_ids.h"
#include "ui/frame/help_topics.h"
#include "ui/frame/help_window.h"

namespace orv {

namespace {

void CloseOpenMenus() {
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

}  // namespace

CHelpController::CHelpController(QWidget* mainWindow)
    : QObject(mainWindow), m_pMainWindow(mainWindow) {
    qApp->installEventFilter(this);
}

CHelpController::~CHelpController() {
    qApp->removeEventFilter(this);
    // The main window is going away: nobody is left to tell.
    blockSignals(true);
    if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
}

CHelpWindow* CHelpController::Window() const {
    return m_pWindow;
}

void CHelpController::ShowTopics() {
    ShowTopic("topics");
}

void CHelpController::ShowTopic(const QString& topic) {
    m_strLastTopic = topic;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = m_pMainWindow;
    const bool fresh = !m_pWindow || !m_pWindow->isVisible();
    if (!m_pWindow)
        m_pWindow = new CHelpWindow(owner);
    else if (m_pWindow->parentWidget() != owner)
        m_pWindow->setParent(owner, m_pWindow->windowFlags());
    m_pWindow->ShowTopic(topic);
    // Beside the window it explains rather than over it; once shown, it stays where it is.
    if (fresh) m_pWindow->PlaceBeside(owner);
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
            ShowTopic(CommandTopic(id));
            return;
        }
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        ShowTopic(TopicOfWidget(modal));
        return;
    }
    // A window of its own beside the main window (the help window, a scan's window) has a
    // topic of its own.
    QWidget* active = QApplication::activeWindow();
    const bool own =
        active && active != m_pMainWindow && !active->property("helpTopic").toString().isEmpty();
    ShowTopic(own ? TopicOfWidget(active) : QString("main"));
}

QString CHelpController::TopicOfWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString topic = w->property("helpTopic").toString();
        if (!topic.isEmpty()) return topic;
    }
    return "topics";
}

QString CHelpController::TopicAt(QWidget* widget, const QPoint& pos) const {
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        QAction* action = menu->actionAt(pos);
        if (action && action->data().isValid()) return CommandTopic(action->data().toInt());
        return "topics";
    }
    QWidget* target = widget;
    if (auto* bar = qobject_cast<QToolBar*>(widget))
        if (QWidget* child = bar->childAt(pos)) target = child;
    if (auto* button = qobject_cast<QToolButton*>(target);
        button && button->defaultAction() && button->defaultAction()->data().isValid())
        return CommandTopic(button->defaultAction()->data().toInt());
    return TopicOfWidget(target);
}

void CHelpController::EnterHelpMode() {
    if (!QWhatsThis::inWhatsThisMode()) {
        QWhatsThis::enterWhatsThisMode();
        // The filter installed last sees events first: this one has to come before the mode's
        // own, which would otherwise swallow F1.
        qApp->removeEventFilter(this);
        qApp->installEventFilter(this);
    }
    NoteModeChange();
}

void CHelpController::LeaveHelpMode() {
    if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
    NoteModeChange();
}

bool CHelpController::InHelpMode() const {
    return QWhatsThis::inWhatsThisMode();
}

bool CHelpController::TakeCommand(int commandId) {
    if (!InHelpMode()) return false;
    LeaveHelpMode();
    ShowCommandTopic(commandId);
    return true;
}

void CHelpController::NoteModeChange() {
    const bool on = QWhatsThis::inWhatsThisMode();
    if (on == m_bModeShown) return;
    m_bModeShown = on;
    emit helpModeChanged(on);
}

void CHelpController::OnWhatsThis(QWidget* widget, QHelpEvent* event) {
    // The click asks for the topic of what lies under it. The event stays unaccepted, so the
    // mode ends when the button is released, and the topic opens once the click is over.
    if (m_strPendingTopic.isEmpty()) {
        m_strPendingTopic = TopicAt(widget, event->pos());
        QMetaObject::invokeMethod(this, &CHelpController::ShowPendingTopic, Qt::QueuedConnection);
    }
    event->ignore();
}

void CHelpController::ShowPendingTopic() {
    const QString topic = std::exchange(m_strPendingTopic, QString());
    if (topic.isEmpty()) return;
    CloseOpenMenus();
    ShowTopic(topic);
}

void CHelpController::OnOwnerHidden(QWidget* owner) {
    // The dialog that the help window belonged to is closing: the window goes on with the
    // window behind the dialog.
    QWidget* next = owner->parentWidget() ? owner->parentWidget()->window() : m_pMainWindow;
    const bool visible = m_pWindow->isVisible();
    m_pWindow->setParent(next, m_pWindow->windowFlags());
    if (visible) m_pWindow->show();
}

bool CHelpController::OnMenuChoice(QAction* action) {
    // Menus handle the mode themselves (they only show an item's own text): the choice of an
    // item is caught before it reaches the menu.
    if (!action || action->menu() || action->isSeparator()) return false;
    LeaveHelpMode();
    m_strPendingTopic = action->data().isValid() ? CommandTopic(action->data().toInt()) : "topics";
    QMetaObject::invokeMethod(this, &CHelpController::ShowPendingTopic, Qt::QueuedConnection);
    return true;
}

bool CHelpController::OnKey(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (InHelpMode() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            return OnMenuChoice(menu->activeAction());
    }
    if (key->key() != Qt::Key_F1) return false;
    if (key->modifiers() == Qt::ShiftModifier) {
        EnterHelpMode();
        return true;
    }
    if (key->modifiers() == Qt::NoModifier) {
        LeaveHelpMode();
        HelpForActive();
        return true;
    }
    return false;
}

bool CHelpController::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return OnKey(event);
        case QEvent::EnterWhatsThisMode:
        case QEvent::LeaveWhatsThisMode:
            NoteModeChange();
            return false;
        case QEvent::MouseButtonRelease:
            if (auto* menu = qobject_cast<QMenu*>(watched); menu && InHelpMode())
                return OnMenuChoice(
                    menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
            return false;
        case QEvent::WhatsThis:
            if (!watched->isWidgetType()) return false;
            OnWhatsThis(static_cast<QWidget*>(watched), static_cast<QHelpEvent*>(event));
            return true;
        case QEvent::QueryWhatsThis:
            event->accept();  // everything has a topic: the pointer keeps the help shape
            return true;
        case QEvent::Hide:
            if (m_pWindow && watched->isWidgetType() && watched != m_pMainWindow &&
                watched == m_pWindow->parentWidget())
                OnOwnerHidden(static_cast<QWidget*>(watched));
            return false;
        default:
            return false;
    }
}

}  // namespace orv

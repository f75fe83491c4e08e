// The program's help: the help window with its list of topics, F1 for the topic of whatever
// is active, and the what's-this mode (Shift+F1 or the toolbar's help button), in which the
// next click on a menu item, a button or a window opens its topic instead of acting.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QHelpEvent;
class QWidget;

namespace orv {

class CHelpWindow;

class CHelpController : public QObject {
    Q_OBJECT
public:
    explicit CHelpController(QWidget* mainWindow);
    ~CHelpController() override;

    void ShowTopics();
    // Opens the help window at the topic. While a modal dialog is open the window belongs to
    // it, so that it takes input; it goes back to the main window when the dialog closes.
    void ShowTopic(const QString& topic);
    void ShowCommandTopic(int commandId);
    // F1: the highlighted menu item, the open dialog or box, or else the main window.
    void HelpForActive();

    void EnterHelpMode();
    void LeaveHelpMode();
    bool InHelpMode() const;
    // In help mode a command that still arrives (a shortcut key) opens its topic; true when
    // it was taken.
    bool TakeCommand(int commandId);

    // The last topic shown.
    QString LastTopic() const { return m_strLastTopic; }
    // The help window; null before the first topic.
    CHelpWindow* Window() const;

signals:
    void helpModeChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OnKey(QEvent* event);
    bool OnMenuChoice(QAction* action);
    void OnWhatsThis(QWidget* widget, QHelpEvent* event);
    void ShowPendingTopic();
    void NoteModeChange();
    void OnOwnerHidden(QWidget* owner);
    QString TopicAt(QWidget* widget, const QPoint& pos) const;
    static QString TopicOfWidget(const QWidget* widget);

    QWidget* m_pMainWindow;
    QPointer<CHelpWindow> m_pWindow;
    QString m_strPendingTopic;
    QString m_strLastTopic;
    bool m_bModeShown = false;
};

}  // namespace orv

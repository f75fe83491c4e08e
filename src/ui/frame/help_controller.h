// The program's help: a help window with the list of topics, F1 for the topic of whatever is
// active, and help mode (Shift+F1 or the toolbar's help button), in which the next click on a
// menu item, a button or a window opens its topic instead of acting.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QDialog;
class QTextBrowser;
class QWidget;

namespace orv {

class CHelpController : public QObject {
    Q_OBJECT
public:
    explicit CHelpController(QWidget* mainWindow);
    ~CHelpController() override;

    void ShowTopics();
    void ShowTopic(const QString& anchor);
    void ShowCommandTopic(int commandId);
    // F1: the highlighted menu item, the open dialog or box, or else the main window.
    void HelpForActive();

    void EnterHelpMode();
    void LeaveHelpMode();
    bool InHelpMode() const { return m_bHelpMode; }
    // In help mode a command that still arrives opens its topic; true when it was taken.
    bool TakeCommand(int commandId);

    // The anchor of the last topic shown.
    QString LastTopic() const { return m_strLastTopic; }

signals:
    void helpModeChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HelpModeClick(QWidget* widget, QEvent* event);
    QString TopicOfWidget(const QWidget* widget) const;

    QWidget* m_pMainWindow;
    QPointer<QDialog> m_pWindow;
    QTextBrowser* m_pBrowser = nullptr;
    bool m_bHelpMode = false;
    QString m_strLastTopic;
};

// The anchor of a command's topic in the help text.
QString CommandTopic(int commandId);

}  // namespace orv

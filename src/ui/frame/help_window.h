// The help window: the list of topics beside the page that is shown.
#pragma once

#include <QDialog>

class QListWidget;
class QTextBrowser;

namespace orv {

class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent);

    void ShowTopic(const QString& topic);
    // Moves the window next to the other one when the screen has room for it there.
    void PlaceBeside(const QWidget* other);
    // The file name of the page shown; empty before the first.
    QString CurrentPage() const;
    QListWidget* TopicList() const { return m_pTopics; }
    QTextBrowser* Browser() const { return m_pBrowser; }

protected:
    void changeEvent(QEvent* event) override;

private:
    // The pages' colours come from the window's palette, so that a dark one shows them too.
    void ApplyPalette();
    // The height the window manager's frame adds (title bar, borders).
    int FrameAllowance() const;
    void OnTopicChosen(int row);
    void OnSourceChanged(const QUrl& source);

    QListWidget* m_pTopics;
    QTextBrowser* m_pBrowser;
};

}  // namespace orv

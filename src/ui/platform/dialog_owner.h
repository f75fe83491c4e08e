// The window that owns a box or dialog opened without a parent of its own.
#pragma once

#include <QPointer>
#include <QWidget>

namespace orv {

// The open modal dialog, else the window that is doing the work (CDialogOwnerScope), else the
// active window, else the visible main window; null when the program shows no window.
QWidget* DialogOwner();

// While it lives, boxes and dialogs opened without a parent of their own belong to window: a
// window beside the main one keeps its progress and its answers in front of itself, rather
// than whichever window the window manager activates when a dialog closes.
class CDialogOwnerScope {
public:
    explicit CDialogOwnerScope(QWidget* window);
    ~CDialogOwnerScope();
    CDialogOwnerScope(const CDialogOwnerScope&) = delete;
    CDialogOwnerScope& operator=(const CDialogOwnerScope&) = delete;

private:
    QPointer<QWidget> m_pPrevious;
};

}  // namespace orv

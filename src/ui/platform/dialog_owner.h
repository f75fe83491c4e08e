// The window that owns a box or dialog opened without a parent of its own.
#pragma once

class QWidget;

namespace orv {

// The open modal dialog, else the active window, else the visible main window; null when the
// program shows no window.
QWidget* DialogOwner();

}  // namespace orv

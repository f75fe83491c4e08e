#include "ui/platform/dialog_owner.h"

#include <QApplication>
#include <QMainWindow>

namespace orv {

QWidget* DialogOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(top) && top->isVisible()) return top;
    return nullptr;
}

}  // namespace orv

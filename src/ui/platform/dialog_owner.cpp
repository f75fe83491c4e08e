#include "ui/platform/dialog_owner.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>

namespace orv {

namespace {
QPointer<QWidget> g_pScopeOwner;  // user-interface thread only
}  // namespace

CDialogOwnerScope::CDialogOwnerScope(QWidget* window) : m_pPrevious(g_pScopeOwner) {
    g_pScopeOwner = window;
}

CDialogOwnerScope::~CDialogOwnerScope() {
    g_pScopeOwner = m_pPrevious;
}

QWidget* DialogOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (g_pScopeOwner && g_pScopeOwner->isVisible()) return g_pScopeOwner;
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(top) && top->isVisible()) return top;
    return nullptr;
}

}  // namespace orv

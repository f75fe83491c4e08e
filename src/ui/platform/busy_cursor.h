// The busy cursor for the length of a scope, and an arrow while a box or dialog waits for the
// user inside such a scope.
#pragma once

#include <QApplication>
#include <QCursor>

namespace orv {

class CBusyCursor {
public:
    CBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CBusyCursor() { QApplication::restoreOverrideCursor(); }
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;
};

class CArrowWhileAsking {
public:
    CArrowWhileAsking() : m_bActive(QApplication::overrideCursor() != nullptr) {
        if (m_bActive) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~CArrowWhileAsking() {
        if (m_bActive) QApplication::restoreOverrideCursor();
    }
    CArrowWhileAsking(const CArrowWhileAsking&) = delete;
    CArrowWhileAsking& operator=(const CArrowWhileAsking&) = delete;

private:
    bool m_bActive;
};

}  // namespace orv

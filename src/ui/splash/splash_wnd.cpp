#include "ui/splash/splash_wnd.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScreen>

#include "ui/resources/pictures.h"

namespace orv {

namespace {

constexpr int kSplashMs = 3000;

bool g_bShowSplashWnd = false;
CSplashWnd* g_pSplashWnd = nullptr;

bool ClosesSplash(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
            return true;
        default:
            return false;
    }
}

}  // namespace

void CSplashWnd::EnableSplashScreen(bool enable) {
    g_bShowSplashWnd = enable;
}

CSplashWnd* CSplashWnd::Current() {
    return g_pSplashWnd;
}

void CSplashWnd::ShowSplashScreen(QWidget* parent) {
    if (!g_bShowSplashWnd || g_pSplashWnd) return;
    QPixmap picture = LoadPicture(IDB_SPLASH);
    if (picture.isNull()) return;
    g_pSplashWnd = new CSplashWnd(parent, std::move(picture));  // deletes itself when closed
}

CSplashWnd::CSplashWnd(QWidget* parent, QPixmap picture)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_bitmap(std::move(picture)),
      m_pOwner(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::ArrowCursor);
    setFixedSize(m_bitmap.size());
    // The middle of the screen the main window is on: the window manager places the main window
    // only after this shows, so where it stands now says nothing of where it will be.
    const QScreen* screen = parent ? parent->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
    startTimer(kSplashMs);
    qApp->installEventFilter(this);
    show();
    repaint();
}

CSplashWnd::~CSplashWnd() {
    qApp->removeEventFilter(this);
    if (g_pSplashWnd == this) g_pSplashWnd = nullptr;
}

void CSplashWnd::HideSplashScreen() {
    qApp->removeEventFilter(this);
    QWidget* owner = m_pOwner;
    close();  // deletes the window
    if (owner) owner->repaint();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent*) {
    HideSplashScreen();
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the program passes here first; the press still goes where it was sent.
    if (watched->isWidgetType() && ClosesSplash(event->type())) HideSplashScreen();
    return false;
}

}  // namespace orv

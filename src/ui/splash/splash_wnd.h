// The picture shown over the main window at start-up for three seconds, or until the first
// key or mouse-button press anywhere in the program.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace orv {

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    // Whether Show may show the window; decided by the command line.
    static void EnableSplashScreen(bool enable);
    // Shows the splash window over parent (or the screen) if enabled and none is shown.
    static void ShowSplashScreen(QWidget* parent);
    // The window shown now, or null.
    static CSplashWnd* Current();

    ~CSplashWnd() override;

    // Destroys the window and repaints the main window.
    void HideSplashScreen();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSplashWnd(QWidget* parent, QPixmap picture);

    QPixmap m_bitmap;
    QWidget* m_pOwner;
};

}  // namespace orv

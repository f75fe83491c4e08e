#include "ui/resources/pictures.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include "ui/commands/command_ids.h"

namespace orv {

namespace {

struct PictureFile {
    int id;
    const char* path;
    QSize size;
};

constexpr QSize kIcon(32, 32);
constexpr QSize kButton(48, 45);
constexpr QSize kMenuBitmap(14, 13);

const PictureFile kPictures[] = {
    {IDR_MAINFRAME, ":/pictures/application.svg", kIcon},
    {IDI_DOT_RED, ":/pictures/dot_red.svg", kIcon},
    {IDI_DOT_GREEN, ":/pictures/dot_green.svg", kIcon},
    {IDI_LOGO, ":/pictures/logo.svg", kIcon},
    {IDI_DOT_YELLOW, ":/pictures/dot_yellow.svg", kIcon},
    {IDB_SPLASH, ":/pictures/splash.svg", QSize(350, 262)},
    {IDI_DRIVE_TURN_1, ":/pictures/drive_turn_1.svg", kIcon},
    {IDI_DRIVE_TURN_2, ":/pictures/drive_turn_2.svg", kIcon},
    {IDI_DRIVE_TURN_3, ":/pictures/drive_turn_3.svg", kIcon},
    {IDI_COMPUTER, ":/pictures/computer.svg", kIcon},
    {IDI_PAPERS, ":/pictures/papers.svg", kIcon},
    {IDI_DISKETTE, ":/pictures/diskette.svg", kIcon},
    {IDB_OPEN, ":/pictures/menu_open.svg", kMenuBitmap},
    {IDB_OPEN_CHECKED, ":/pictures/menu_open_checked.svg", kMenuBitmap},
    {IDB_CLOSE, ":/pictures/menu_close.svg", kMenuBitmap},
    {IDB_CLOSE_CHECKED, ":/pictures/menu_close_checked.svg", kMenuBitmap},
    {IDC_LIST_CURSOR, ":/pictures/list_cursor.svg", kIcon},
    {IDI_BAD_SECTORS, ":/pictures/bad_sectors.svg", kIcon},
    {IDI_POSITION, ":/pictures/position.svg", kIcon},
};

const PictureFile kButtons[] = {
    {ID_DISKETTE_OPEN, ":/pictures/button_open.svg", kButton},
    {ID_FILE_ADD, ":/pictures/button_add.svg", kButton},
    {ID_FILE_COPY, ":/pictures/button_copy.svg", kButton},
    {ID_DISKETTE_CLOSE, ":/pictures/button_close.svg", kButton},
    {ID_FILE_DELETE, ":/pictures/button_delete.svg", kButton},
    {ID_DISKETTE_INFO, ":/pictures/button_info.svg", kButton},
    {ID_APP_ABOUT, ":/pictures/button_about.svg", kButton},
    {ID_CONTEXT_HELP, ":/pictures/button_help.svg", kButton},
};

// Drawn for the screen's pixels: at a scale of 2 a 32 x 32 picture gets 64 x 64 pixels of its
// own, not an enlarged bitmap.
QPixmap Render(const char* path, QSize size, qreal scale) {
    QPixmap pixmap(size * scale);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer{QString(path)};
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

// The scale of the sharpest screen: a picture made once may be shown on any of them.
qreal ScreenScale() {
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

// An icon that draws its SVG afresh for every size and scale asked of it, with a second SVG
// for the checked state where there is one.
class CSvgIconEngine final : public QIconEngine {
public:
    // large: drawn instead for sizes from 32 pixels up.
    CSvgIconEngine(const char* off, const char* on, const char* large = nullptr)
        : m_off(off), m_on(on ? on : off), m_large(large) {}

    QIconEngine* clone() const override { return new CSvgIconEngine(*this); }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        const bool large = m_large && size.height() >= 32;
        QPixmap pixmap = Render(large ? m_large : state == QIcon::On ? m_on : m_off, size, scale);
        if (mode == QIcon::Normal || mode == QIcon::Active) return pixmap;
        // Greyed out (or selected) as the style draws it for any icon.
        QStyleOption option;
        return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }

private:
    const char* m_off;
    const char* m_on;
    const char* m_large;
};

const PictureFile* Find(const PictureFile* begin, const PictureFile* end, int id) {
    for (const PictureFile* p = begin; p != end; ++p)
        if (p->id == id) return p;
    return nullptr;
}

}  // namespace

QPixmap LoadPicture(int id) {
    const PictureFile* p = Find(std::begin(kPictures), std::end(kPictures), id);
    return LoadPicture(id, p ? p->size : kIcon);
}

QPixmap LoadPicture(int id, QSize size) {
    const PictureFile* p = Find(std::begin(kPictures), std::end(kPictures), id);
    if (!p) {
        QPixmap empty(size);
        empty.fill(Qt::transparent);
        return empty;
    }
    return Render(p->path, size, ScreenScale());
}

QIcon ApplicationIcon() {
    return QIcon(new CSvgIconEngine(":/pictures/application.svg", nullptr));
}

QIcon ToolbarPicture(int commandId) {
    const PictureFile* p = Find(std::begin(kButtons), std::end(kButtons), commandId);
    if (!p) return {};
    return QIcon(new CSvgIconEngine(p->path, nullptr));
}

QIcon MenuPicture(int commandId) {
    const bool open = commandId == ID_DISKETTE_OPEN;
    const PictureFile* off =
        Find(std::begin(kPictures), std::end(kPictures), open ? IDB_OPEN : IDB_CLOSE);
    const PictureFile* on = Find(std::begin(kPictures), std::end(kPictures),
                                 open ? IDB_OPEN_CHECKED : IDB_CLOSE_CHECKED);
    return QIcon(new CSvgIconEngine(off->path, on->path));
}

QIcon CommandPicture(int commandId) {
    const PictureFile* button = Find(std::begin(kButtons), std::end(kButtons), commandId);
    if (commandId != ID_DISKETTE_OPEN && commandId != ID_DISKETTE_CLOSE)
        return button ? QIcon(new CSvgIconEngine(button->path, nullptr)) : QIcon();
    const bool open = commandId == ID_DISKETTE_OPEN;
    const PictureFile* off =
        Find(std::begin(kPictures), std::end(kPictures), open ? IDB_OPEN : IDB_CLOSE);
    const PictureFile* on = Find(std::begin(kPictures), std::end(kPictures),
                                 open ? IDB_OPEN_CHECKED : IDB_CLOSE_CHECKED);
    return QIcon(new CSvgIconEngine(off->path, on->path, button ? button->path : nullptr));
}

QCursor ListCursor() {
    return QCursor(LoadPicture(IDC_LIST_CURSOR), 15, 6);
}

}  // namespace orv

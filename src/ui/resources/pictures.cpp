#include "ui/resources/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include "ui/frame/command_ids.h"

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

QPixmap Render(const char* path, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer{QString(path)};
    if (!renderer.isValid()) return pixmap;
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

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
    return Render(p->path, size);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 64}) icon.addPixmap(LoadPicture(IDR_MAINFRAME, QSize(side, side)));
    return icon;
}

QIcon ToolbarPicture(int commandId) {
    const PictureFile* p = Find(std::begin(kButtons), std::end(kButtons), commandId);
    if (!p) return {};
    QIcon icon;
    icon.addPixmap(Render(p->path, p->size));
    return icon;
}

QIcon MenuPicture(int commandId) {
    QIcon icon;
    const bool open = commandId == ID_DISKETTE_OPEN;
    icon.addPixmap(LoadPicture(open ? IDB_OPEN : IDB_CLOSE), QIcon::Normal, QIcon::Off);
    icon.addPixmap(LoadPicture(open ? IDB_OPEN_CHECKED : IDB_CLOSE_CHECKED), QIcon::Normal,
                   QIcon::On);
    return icon;
}

QCursor ListCursor() {
    return QCursor(LoadPicture(IDC_LIST_CURSOR), 15, 6);
}

}  // namespace orv

// The program's pictures, drawn as SVG and kept in the resources, by their resource numbers.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace orv {

enum PictureId : int {
    IDR_MAINFRAME = 128,     // the application icon
    IDI_DOT_RED = 134,       // bad bytes
    IDI_DOT_GREEN = 135,     // free bytes
    IDI_LOGO = 136,          // second picture of the About box
    IDI_DOT_YELLOW = 137,    // used bytes
    IDB_SPLASH = 139,        // 350 x 262
    IDI_DRIVE_TURN_1 = 140,  // a drive whose disc turns by a third from one picture to the next
    IDI_DRIVE_TURN_2 = 141,
    IDI_DRIVE_TURN_3 = 142,
    IDI_COMPUTER = 145,       // a personal computer
    IDI_PAPERS = 146,         // two sheets of paper on their way
    IDI_DISKETTE = 147,       // a diskette
    IDI_EMPTY = 149,          // entirely transparent
    IDB_OPEN = 152,           // 14 x 13, beside Open
    IDB_OPEN_CHECKED = 153,   // 14 x 13, Open with a check mark
    IDB_CLOSE = 154,          // 14 x 13, beside Close
    IDB_CLOSE_CHECKED = 155,  // 14 x 13, Close with a check mark
    IDC_LIST_CURSOR = 156,    // 32 x 32, hot spot (15, 6)
    IDI_BAD_SECTORS = 157,    // the bad-sector report's picture
    IDI_POSITION = 158,       // the start-position dialog's picture
};

// The picture at its own size (icons 32 x 32), drawn for the screen's scale.
QPixmap LoadPicture(int id);
// The picture drawn at the given size (in the screen's logical pixels).
QPixmap LoadPicture(int id, QSize size);

// The icons draw their SVG for whatever size and scale they are shown at.
QIcon ApplicationIcon();
// The toolbar button of a command (48 x 45), or a null icon.
QIcon ToolbarPicture(int commandId);
// The 14 x 13 bitmap beside Open or Close in a menu (with its check-mark variant).
QIcon MenuPicture(int commandId);
// One icon for a command that shows in menus and on the toolbar: Open and Close draw their
// menu bitmap at menu sizes and their button at the toolbar's; null for a command with neither.
QIcon CommandPicture(int commandId);
QCursor ListCursor();

}  // namespace orv

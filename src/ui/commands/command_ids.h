// Command identifiers shared by the menu bar, the toolbar, the keys and the context menu.
#pragma once

namespace orv {

enum CommandId : int {
    // Diskette menu.
    ID_DISKETTE_OPEN = 32773,
    ID_DISKETTE_CLOSE = 32777,
    ID_INSERT_IMAGE = 32790,      // puts another image file into drive A:
    ID_NEW_IMAGE = 32791,         // creates a blank image and puts it into drive A:
    ID_RECENT_IMAGES = 32792,     // submenu: the last images put into drive A:
    ID_DRIVE_MENU = 32793,        // submenu: the 1.44 MB drives of the machine
    ID_MAKE_IMAGE = 32794,        // reads the diskette in drive A: into an image file
    ID_MERGE_READS = 32795,       // several reads of one diskette into one image
    ID_RESCUE_FILE = 32796,       // one file from several damaged copies on images
    ID_SCAN_FOLDER = 32797,       // the health of a folder of images, in a window of its own
    ID_DISKETTE_REFRESH = 32798,  // reads the open diskette's files again
    ID_VERIFICATION = 32782,
    ID_RESTORE_ATTRIBUTES = 32783,
    ID_DISKETTE_INFO = 32787,
    ID_APP_EXIT = 57665,
    // File menu.
    ID_FILE_ADD = 32774,
    ID_FILE_COPY = 32775,
    ID_FILE_DELETE = 32776,
    ID_FILE_ADD_FROM = 32780,
    ID_FILE_COPY_AT = 32781,
    ID_CREATE_REPAIR_FILE = 32778,
    ID_REPAIR_FILE = 32779,
    // Tools menu.
    ID_FORMAT = 32784,
    ID_DISK_SERVICE = 32785,
    // View menu.
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    // Help menu and keys.
    ID_HELP_FINDER = 57667,
    ID_APP_ABOUT = 57664,
    ID_HELP = 57670,
    ID_CONTEXT_HELP = 57669,
    ID_DEFAULT_HELP = 57671,
    // Keys of the file list.
    ID_EDIT_COPY = 57634,   // Ctrl+C: the selected files to the clipboard
    ID_EDIT_PASTE = 57637,  // Ctrl+V: the files on the clipboard onto the diskette
    // Context menu only.
    ID_CONTEXT_ABOUT = 500,
    ID_PROPERTIES_ONE = 501,
    ID_PROPERTIES_MANY = 502,
};

}  // namespace orv

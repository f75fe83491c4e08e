#include "ui/frame/command_table.h"

#include "ui/frame/command_ids.h"

namespace orv {

const std::vector<MenuSpec>& MenuBarSpec() {
    static const std::vector<MenuSpec> menus = {
        {"&Diskette",
         {
             {ID_DISKETTE_OPEN, "&Open", "Display files which are on diskette.", "Open"},
             {ID_DISKETTE_CLOSE, "C&lose", "Close diskette", "Close"},
             {},
             {ID_INSERT_IMAGE, "&Insert diskette image...",
              "Put another diskette image into drive A:", ""},
             {ID_NEW_IMAGE, "&New blank image...",
              "Create a blank diskette image and put it into drive A:", ""},
             {ID_RECENT_IMAGES, "Recent i&mages", "Put an image used before into drive A:", "",
              true},
             {ID_DRIVE_MENU, "Drive", "Put a 1.44 MB drive of this computer into drive A:", "",
              true},
             {},
             {ID_MAKE_IMAGE, "Make im&age of diskette...",
              "Read the diskette in drive A: into an image file", ""},
             {ID_MERGE_READS, "Mer&ge reads...",
              "Merge several images of one diskette into one image", ""},
             {ID_RESCUE_FILE, "Rescue &file from copies...",
              "Put one file together from its damaged copies on several images", ""},
             {ID_SCAN_FOLDER, "&Scan folder of images...",
              "Show the health of every image in a folder and its subfolders", ""},
             {},
             {ID_VERIFICATION, "&Verification", "Turn On/Off read test after writing on diskette",
              ""},
             {ID_RESTORE_ATTRIBUTES, "&Restore date and attributes",
              "Set attributes and time of a file copied from diskette", ""},
             {},
             {ID_DISKETTE_INFO, "&Diskette info...",
              "Display info about currently openned diskette", "Diskette info"},
             {},
             {ID_APP_EXIT, "&Exit", "Close window", ""},
         }},
        {"&File",
         {
             {ID_FILE_ADD, "&Add...", "Add file(s) on diskette.", "Add file(s)"},
             {ID_FILE_COPY, "&Copy...", "Copy file from diskette", "Copy"},
             {ID_FILE_DELETE, "&Delete\tDEL", "Delete selected file(s).", "Delete file(s)"},
             {},
             {ID_FILE_ADD_FROM, "Add &from...",
              "Add file to diskette starting from entered position", ""},
             {ID_FILE_COPY_AT, "C&opy at...",
              "Copy file from diskette to a file to entered position", ""},
             {},
             {ID_CREATE_REPAIR_FILE, "Cr&eate repair file...", "Write file of entered bad sectors",
              ""},
             {ID_REPAIR_FILE, "&Repair file...", "Repair file copied from a bad diskette", ""},
         }},
        {"&Tools",
         {
             {ID_FORMAT, "&Format...", "Format diskette so that it can be used with Orvalis", ""},
             {ID_DISK_SERVICE, "&Disk service...", "Fixs some errors on diskette", ""},
         }},
        {"&View",
         {
             {ID_VIEW_TOOLBAR, "&Toolbar", "Display/hide toolbar", ""},
             {ID_VIEW_STATUS_BAR, "&Status bar", "Display/hide status bar", ""},
         }},
        {"&Help",
         {
             {ID_HELP_FINDER, "&Help Topics", "Display help", ""},
             {},
             {ID_APP_ABOUT, "&About Orvalis...", "Display program info, version and copyright",
              "About Orvalis"},
         }},
    };
    return menus;
}

const std::array<int, 8>& ToolbarCommands() {
    static const std::array<int, 8> buttons = {ID_DISKETTE_OPEN,  ID_FILE_ADD,    ID_FILE_COPY,
                                               ID_DISKETTE_CLOSE, ID_FILE_DELETE, ID_DISKETTE_INFO,
                                               ID_APP_ABOUT,      ID_CONTEXT_HELP};
    return buttons;
}

const MenuItemSpec* FindCommandSpec(int id) {
    static const MenuItemSpec helpMode{ID_CONTEXT_HELP, "Help", "Context sensitive help", "Help"};
    if (id == ID_CONTEXT_HELP) return &helpMode;
    for (const MenuSpec& menu : MenuBarSpec())
        for (const MenuItemSpec& item : menu.items)
            if (item.id == id && id != 0) return &item;
    return nullptr;
}

}  // namespace orv

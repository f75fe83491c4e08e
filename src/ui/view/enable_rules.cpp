#include "ui/view/enable_rules.h"

#include "ui/frame/command_ids.h"

namespace orv {

std::optional<bool> CommandEnabled(int id, const ViewState& s) {
    switch (id) {
        case ID_DISKETTE_OPEN:
        // What is in the drive changes only while no diskette is open.
        case ID_INSERT_IMAGE:
        case ID_NEW_IMAGE:
        case ID_RECENT_IMAGES:
        case ID_DRIVE_MENU:
            return !s.open;
        case ID_DISKETTE_CLOSE:
        case ID_FILE_ADD:
        case ID_FILE_ADD_FROM:
        case ID_DISKETTE_INFO:
        case ID_EDIT_PASTE:
            return s.open;
        case ID_FILE_COPY:
        case ID_FILE_DELETE:
        case ID_FILE_COPY_AT:
        case ID_EDIT_COPY:
            return s.open && s.selected > 0;
        case ID_VERIFICATION:
        case ID_RESTORE_ATTRIBUTES:
        case ID_FORMAT:
        case ID_DISK_SERVICE:
        case ID_CREATE_REPAIR_FILE:
        case ID_REPAIR_FILE:
        // Make image refuses with a message of its own while a diskette is open, as Format
        // does; the other three only read image files and need no drive.
        case ID_MAKE_IMAGE:
        case ID_MERGE_READS:
        case ID_RESCUE_FILE:
        case ID_SCAN_FOLDER:
            return true;
        default:
            return std::nullopt;
    }
}

std::optional<bool> CommandChecked(int id, const ViewState& s) {
    if (id == ID_VERIFICATION) return s.verify;
    if (id == ID_RESTORE_ATTRIBUTES) return s.restore;
    return std::nullopt;
}

}  // namespace orv

#include "ui/view/context_menu_items.h"

#include "ui/commands/command_ids.h"

namespace orv {

std::vector<int> ContextMenuItems(const CommandState& s) {
    std::vector<int> items;
    if (s.selected >= 1)
        return {ID_DISKETTE_CLOSE, 0, ID_FILE_COPY,
                ID_FILE_DELETE,    0, s.selected == 1 ? ID_PROPERTIES_ONE : ID_PROPERTIES_MANY};
    if (s.open) return {ID_DISKETTE_CLOSE, 0, ID_FILE_ADD, 0, ID_DISKETTE_INFO};
    return {ID_DISKETTE_OPEN, 0, ID_FORMAT, 0, ID_CONTEXT_ABOUT};
}

}  // namespace orv

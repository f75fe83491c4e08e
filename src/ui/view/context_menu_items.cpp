#include "ui/view/context_menu_items.h"

#include "ui/frame/command_ids.h"

namespace orv {

std::vector<ContextItem> ContextMenuItems(const ViewState& s) {
    std::vector<ContextItem> items;
    items.push_back(s.open ? ContextItem{ID_DISKETTE_CLOSE, "C&lose"}
                           : ContextItem{ID_DISKETTE_OPEN, "&Open"});
    items.push_back({});
    if (s.selected >= 1) {
        items.push_back({ID_FILE_COPY, "&Copy..."});
        items.push_back({ID_FILE_DELETE, "&Delete\tDEL"});
        items.push_back({});
        items.push_back({s.selected == 1 ? ID_PROPERTIES_ONE : ID_PROPERTIES_MANY, "&Properties"});
    } else if (s.open) {
        items.push_back({ID_FILE_ADD, "&Add..."});
        items.push_back({});
        items.push_back({ID_DISKETTE_INFO, "&Diskette info..."});
    } else {
        items.push_back({ID_FORMAT, "&Format..."});
        items.push_back({});
        items.push_back({ID_CONTEXT_ABOUT, "&About Orvalis..."});
    }
    return items;
}

}  // namespace orv

// The items of the file list's context menu for a given state.
#pragma once

#include <vector>

#include "ui/view/enable_rules.h"

namespace orv {

struct ContextItem {
    int id = 0;  // 0 = separator
    const char* text = "";
};

// Top to bottom: Open or Close, a separator, then what fits the state.
std::vector<ContextItem> ContextMenuItems(const ViewState& state);

}  // namespace orv

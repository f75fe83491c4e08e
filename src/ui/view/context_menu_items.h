// The items of the file list's context menu for a given state.
#pragma once

#include <vector>

#include "ui/commands/command_set.h"

namespace orv {

// The commands from the top down, 0 for a separator: Open or Close, a separator, then what
// fits the state.
std::vector<int> ContextMenuItems(const CommandState& state);

}  // namespace orv

// When each command of the file list may run and which items carry a check mark. The same
// rules serve the menu bar, the toolbar, the Del key and the context menu.
#pragma once

#include <optional>

namespace orv {

struct ViewState {
    bool open = false;  // a diskette is open
    int selected = 0;   // selected rows
    bool verify = false;
    bool restore = true;
};

// Whether the command may run; nullopt for a command the file list does not rule.
std::optional<bool> CommandEnabled(int id, const ViewState& state);
// The check mark of the two options; nullopt for every other command.
std::optional<bool> CommandChecked(int id, const ViewState& state);

}  // namespace orv

// The menu bar and the toolbar as tables: item texts, status-bar prompts and tooltips.
#pragma once

#include <array>
#include <vector>

namespace orv {

struct MenuItemSpec {
    int id = 0;  // 0 = separator
    const char* text = "";
    const char* prompt = "";
    const char* tooltip = "";  // empty when the command has no toolbar button
    bool submenu = false;      // the item opens a submenu that the file list fills
};

struct MenuSpec {
    const char* title;
    std::vector<MenuItemSpec> items;
};

const std::vector<MenuSpec>& MenuBarSpec();

// The eight toolbar buttons, left to right.
const std::array<int, 8>& ToolbarCommands();

// The table entry of a command (the help-mode button included); null when it has none.
const MenuItemSpec* FindCommandSpec(int id);

constexpr const char* kIdleStatusText = "For help press F1";
constexpr const char* kAppTitle = "Orvalis";
constexpr const char* kNoDiskTitle = "[no disk] - Orvalis";

}  // namespace orv

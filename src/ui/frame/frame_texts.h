// The texts of the main window's own: its titles and the status bar's idle text.
#pragma once

namespace orv {

constexpr const char* kIdleStatusText = "For help press F1";
constexpr const char* kAppTitle = "Orvalis";
constexpr const char* kNoDiskTitle = "[no disk] - Orvalis";

}  // namespace orv

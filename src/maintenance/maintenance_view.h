// What the format and disk service dialogs show; the Qt dialogs and the command line implement
// it. The controllers of those dialogs drive it.
#pragma once

#include <string>

#include "maintenance/balance/results_texts.h"

namespace orv {

inline constexpr char kCancelButtonText[] = "&Cancel";
inline constexpr char kCloseButtonText[] = "C&lose";

class IMaintenanceView {
public:
    virtual ~IMaintenanceView() = default;
    // These two are also called from the worker thread.
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgress(int position) = 0;

    // The rest only from the thread that drives the controller.
    // The 400 ms tick that calls the controller's Tick.
    virtual void SetTimer(bool on) = 0;
    // busy: the option controls and the start button are disabled, button 2 reads "&Cancel",
    // the wait cursor shows. Not busy: all enabled again, button 2 reads "C&lose", the wait
    // cursor ends and the controller's members go back into the controls.
    virtual void SetBusy(bool busy) = 0;
    // The modal results dialog; returns when it was closed.
    virtual void ShowResults(const ResultsTexts& texts) = 0;
    virtual void CloseDialog() = 0;
    // The turning drive of the disk service (icon 140, 141 or 142).
    virtual void ShowTurningIcon(int /*iconId*/) {}
};

}  // namespace orv

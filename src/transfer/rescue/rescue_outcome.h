// How a rescue operation (imaging, merging, rescuing a file, scanning) ended, for the front end
// that started it: the operations never talk to the user themselves, so that a window and the
// console can each say it their way.
#pragma once

#include <string>

#include "ports/progress_port.h"

namespace orv {

enum class RescueStatus {
    Done,         // the operation ran to its end (which may still leave pieces unread)
    Refused,      // bad input; nothing was written
    Failed,       // the drive or the hard disk failed on the way
    Interrupted,  // the user stopped it
};

struct RescueResult {
    RescueStatus status = RescueStatus::Done;
    std::string error;  // what the user is told when the status is not Done
    bool Ok() const { return status == RescueStatus::Done; }
    void Set(RescueStatus s, std::string why) {
        status = s;
        error = std::move(why);
    }
};

// The progress display of a rescue operation: from the diskettes to the hard disk, with a
// cancel question.
inline ProgressSpec RescueProgress(std::string title, std::string fileLine,
                                   std::string countFormat) {
    ProgressSpec display;
    display.left = Picture::Diskette;
    display.right = Picture::Computer;
    display.title = std::move(title);
    display.fileLine = std::move(fileLine);
    display.countFormat = std::move(countFormat);
    display.askBeforeCancel = true;
    display.cancelQuestion = "Do you really want to interrupt this action ?";
    return display;
}

}  // namespace orv

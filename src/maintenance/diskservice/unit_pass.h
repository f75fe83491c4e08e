// How a pass of the disk service over the units of the diskette ended.
#pragma once

#include "disk/result.h"

namespace orv {

// Done: every unit was seen; Stopped: the user asked to stop. A pass that the drive cut short
// by failing as a whole (no unit is to blame then) is a failure with the drive's cause instead.
enum class PassEnd { Done, Stopped };
using PassResult = Result<PassEnd>;

}  // namespace orv

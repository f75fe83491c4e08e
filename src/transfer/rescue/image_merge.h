// Several reads of one diskette (images with their sidecars, from other runs or other drives)
// merged into one image that holds every sector that any of them read.
#pragma once

#include <string>
#include <vector>

#include "ports/progress_port.h"
#include "transfer/rescue/rescue_outcome.h"
#include "transfer/rescue/sector_reader.h"

namespace orv {

struct MergeOutcome : RescueResult {
    std::vector<int> takenFrom;  // sectors taken from each input, in the order given
    SectorSet differing;         // readable copies differed; the majority was taken
    SectorSet unreadable;        // no input read it: zero, and listed in the sidecar
    // Refused because the inputs are reads of different diskettes: force would merge them.
    bool otherDiskettes = false;
};

// Which copy of one sector goes into the merged image: copies[i] is input i's sector, or null
// where it does not read. When the readable copies agree, the first; when they differ (differ
// is set), the copy that most inputs hold, and between equally many, the earliest input's.
// -1 when no input read the sector.
int ChooseCopy(const std::vector<const std::uint8_t*>& copies, bool& differ);

// Writes outPath (never over an existing file) and its sidecar from the inputs. Inputs whose ID
// records read must name one diskette (label and stamp); otherwise the merge is refused unless
// force is set. Each input is held for this program only while it is read.
MergeOutcome MergeImages(const std::string& outPath, const std::vector<std::string>& inputs,
                         bool force, IProgressRunner& runner);

}  // namespace orv

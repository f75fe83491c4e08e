// Reading a whole diskette, or the sectors of it still missing, the way a worn diskette gives
// the most for the fewest turns: a cylinder per request in head order, and the sectors of a
// request that failed read alone only after the whole pass, so that the head does not shuttle
// back and forth over a bad area while the good cylinders wait.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/drive.h"
#include "disk/geometry.h"
#include "ports/progress_port.h"

namespace orv {

using SectorSet = std::bitset<kSectorCount>;

struct DriveReadOutcome {
    IoError driveFailure = IoError::None;  // the drive failed as a whole; the rest was not read
    bool cancelled = false;
};

// Reads the wanted sectors into image (kImageSize bytes, each sector at its place) and marks
// each one read in got. In cylinder order, every run of wanted sectors of a cylinder is one
// request; a run that fails is read again a track at a time. The sectors of a track that still
// fails are read alone after the whole pass, and those that fail alone are tried again, alone,
// up to `retries` more times, each round over all of them in ascending order. The sink (may be
// null) sees the sectors read of those wanted, and its cancel flag ends the reading between
// two requests.
void ReadInDriveOrder(CDrive& drive, const SectorSet& wanted, int retries, std::uint8_t* image,
                      SectorSet& got, IProgressSink* sink, DriveReadOutcome& outcome);

// "70, 100-104": the sectors of a set as ascending numbers and ranges.
std::string SectorRangesText(const SectorSet& sectors);
std::vector<int> SectorList(const SectorSet& sectors);

}  // namespace orv

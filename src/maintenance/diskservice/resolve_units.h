// Rebuilding the owners of units whose table sector was lost, from the unit headers that every
// data unit carries.
#pragma once

#include <cstdint>

#include "fs/volume.h"
#include "ports/worker_dialog_port.h"

namespace orv {

// Gives every unit whose entry is FAT_UNKNOWN its owner: units that fail two reads become FAT_BAD.
// A file takes as header unit its lowest unit that the table knows, or else its lowest unit that
// holds a plausible file header; above the header it takes the units whose first five bytes repeat
// the header's number and extension bytes, at most as many units as the header's size needs. Every
// other unit becomes FAT_FREE. 0, -1 when the user asked to stop, or -2 when the drive failed
// as a whole (the volume's LastError says why); the table is then unusable.
int ResolveUnknownUnits(CVolume& volume, IWorkerDialog& dialog);

}  // namespace orv

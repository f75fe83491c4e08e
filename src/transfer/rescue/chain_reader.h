// Reading the units of one file of a diskette in chain order, going on past those that do not
// read: what the rescue tools need to tell, unit by unit, what is left of a file.
#pragma once

#include <cstdint>
#include <functional>

#include "fs/volume.h"

namespace orv {

// Called for every chain position in order (0 is the header unit): piece holds the position's
// ChainPieceCapacity bytes of the file, or is null where the unit did not read. Returning false
// stops the reading.
using ChainPieceFn = std::function<bool(std::uint32_t position, const std::uint8_t* piece)>;

// The number of units of the file, -1 when it has none, -2 when the reading stopped early (the
// drive failed as a whole, see the volume's LastError, or piece asked to stop).
int ReadChain(CVolume& volume, int fileNumber, const ChainPieceFn& piece);

}  // namespace orv

// Which lost units belong to which file. A file's units lie above its header unit, carry its
// number and extension bytes in their first five bytes, and were the lowest free units when the
// file was written: so a file needs its units right above its header, around the units that
// other files held then.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "fs/volume.h"

namespace orv {

using UnitTag = std::array<std::uint8_t, kUnitHeaderSize>;  // number and extension bytes

// A readable unit whose owner was unknown and whose first two bytes name a file number.
struct TaggedUnit {
    int unit = 0;
    UnitTag tag{};
    bool header = false;     // holds a plausible file header
    std::uint32_t size = 0;  // the size that header names
};

struct LostUnits {
    std::map<int, std::vector<TaggedUnit>> tagged;  // by the file number of the tag, ascending
    std::vector<int> unreadable;                    // units that failed two reads, ascending
};

// Enters into the table the lost units that belong to files; the entries of the others stay
// as they are. A file takes as header unit its lowest unit that the table knows, or else its
// lowest tagged unit that holds a plausible header; above it, its units that the table knows,
// then its tagged units (lowest first, no more than its size needs), then unreadable units
// where it still lacks one: first those that lie between its units, then the next ones above.
// Returns the numbers of the files whose units could not be told for sure, ascending: tagged
// units were left over beyond what the size needs (a deleted file with the same number and
// extension left them), an unreadable unit between its units was needed by no file, or the
// size asks for more units than the diskette holds for it (a part of a spread file, or a file
// that lost units) and unreadable units between its units were given to it.
std::vector<int> ClaimLostUnits(CVolume& volume, const LostUnits& lost);

}  // namespace orv

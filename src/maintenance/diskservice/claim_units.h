// Which lost units belong to which file. A file's units lie above its header unit, carry its
// number and extension bytes in their first five bytes, and were the lowest free units when the
// file was written: so a file needs its units right above its header, around the units that
// other files held then.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "fs/volume.h"
#include "maintenance/diskservice/file_claim.h"

namespace orv {

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
    std::vector<int> blank;  // units that read but name no owner (a hole, filler), ascending
};

// Enters into the table the lost units that belong to files; the entries of the others stay
// as they are. A file takes as header unit its lowest unit that the table knows, or else its
// lowest tagged unit that holds a plausible header, or else (no header reads) the nearest
// unreadable or blank unit below its tagged units, and is uncertain then; above it, its units that
// the table knows, then its tagged units (lowest first, no more than its size needs), then
// unreadable units where it still lacks one (GiveUnreadableUnits), then blank units between its own
// (GiveBlankUnits). Returns the numbers of the files whose units
// could not be told for sure, ascending: tagged units were left over beyond what the size
// needs or below its header (a deleted file with the same number and extension left them, or
// the real header no longer reads and a data unit passes for one), another header with its
// number lies above its own (with its extension too, where the units with its tag do not fill its
// size or fill the size that the other names), a place it would take a unit it lacks from was taken
// for the header of a file whose header does not read (MarkGuessedHeadersUncertain),
// GiveUnreadableUnits or GiveBlankUnits found it uncertain, it took an unreadable unit while the
// first unit above its last one that it would not have gone around reads blank (its lost unit
// may be that one), or it still lacks units where a lost unit went to no file
// (MarkGapsUncertain).
std::vector<int> ClaimLostUnits(CVolume& volume, const LostUnits& lost);

}  // namespace orv

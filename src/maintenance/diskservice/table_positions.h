// Table positions that an ID record may name wrongly: a unit of the data area that holds file
// data. Such a position would hand the file's unit to the system and write a table sector over
// the file's bytes.
#pragma once

#include <vector>

#include "fs/volume.h"

namespace orv {

struct TablePlace {
    int copy = 1;    // 1 or 2
    int sector = 0;  // table sector 0..10
};

// The table positions that the volume's ID record names (after ReadFat) and that lie in the data
// area on a unit that holds file data: a table copy whose sector reads and is valid gives the unit
// to a file (or an owner tag), or the unit's own first two bytes name one while the unit holds no
// valid table sector. copy1 and copy2 are the two copies as read raw (ReadFatCopyRaw).
std::vector<TablePlace> TablePositionsOnFileData(CVolume& volume, const FatArray& copy1,
                                                 const FatArray& copy2);

}  // namespace orv

// Volume steps of the full test: dropping implausible files and laying down a new system area.
#pragma once

#include <vector>

#include "fs/volume.h"

namespace orv {

// Releases (in memory) every file whose header unit reads but is no file header of this file:
// its number field names another file, its part byte or name fields are not what this system
// writes, or the file has more units than its size needs (a size of 0 with more than the
// header unit among them). Dates do not count. Files with an unreadable header stay, and so
// do those whose header reads blank while the unit above it carries their tag.
void DropImplausibleFiles(CVolume& volume);

// After a table write that was cut short (the copies differ in the given table sectors): every
// file named in a differing entry of either copy is released, and its units, with every free
// unit that carries one of those numbers, are marked FAT_UNKNOWN, so that ResolveUnknownUnits
// rebuilds each such file whole from its units: a unit that either copy gave to one of them
// goes to it again when it holds its tag, and when it does not read or holds no tag it goes
// where a file lacks a unit, as on a diskette whose table was lost. Bad and system marks of either
// copy stay; an entry where either copy holds a tag 10001..12816 becomes FAT_UNKNOWN too, so that
// the unit's own tag decides whether it is kept. The number of files concerned.
int UnsettleInterruptedFiles(CVolume& volume, const std::vector<int>& sectors);

// Table positions that name a unit holding file data (TablePositionsOnFileData) are not
// trusted: they become no position, the table is read again from the other copy, and each such
// unit whose entry now names no file becomes FAT_UNKNOWN, for its own tag to decide. The table
// write then places those table sectors anew. The number of positions dropped; when above 0,
// complete tells whether every table sector was loaded this time.
int DropTablePositionsOnFileData(CVolume& volume, bool& complete);

// 0 new ID positions and table positions chosen; -1 or -2 fewer than three sectors of 1..63
// take a write; -3 none does (write protected).
int ChooseSystemArea(CVolume& volume);

// The first three sectors of 1..63 that can be read and written back become the ID positions.
// 0 three found; -1 two; -2 one; -3 none.
int FindRwSectors(CVolume& volume);

// The 22 table positions: the readable sectors of 1..63 that are no ID sector, in order.
// Positions left over get no sector here: the table write places them in spare sectors or in
// units that the rebuilt table shows free (this table knows no owners yet). 0.
int ChooseFatPositions(CVolume& volume);

}  // namespace orv

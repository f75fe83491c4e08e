// Which file a unit that reads but carries no owner belonged to. An image made by another tool
// holds zeros or a reader's filler where a sector never read; a fresh diskette's free units
// look the same. Such a unit is a file's only where the file lacks a unit among its own: a file
// took the lowest free units when it was written, so its units lie close together, and a unit
// left out between them without the file's tag is where its data was lost. Given to the file,
// it keeps every later byte in its place, and a copy reports it.
#pragma once

#include <vector>

#include "maintenance/diskservice/file_claim.h"

namespace orv {

// Gives blank units (ascending; readable, first two bytes no owner) to the files that lack
// units (claims ascending by their header unit, their tagged and unreadable units taken): each
// takes the blank units between its header and its last unit, lowest first, as many as it
// lacks. A further part of a spread file lacks by nature the units of the other diskettes, so
// it takes none. A file that takes one becomes uncertain: a unit that refused its write when
// the file was written reads blank too, and the file may lack its last unit instead.
void GiveBlankUnits(const std::vector<int>& blank, std::vector<FileClaim>& claims);

// Before any unreadable or blank unit is given: a file that lacks units becomes uncertain where
// one of the places it would take them from (the lost units, unreadable or blank and ascending,
// between its header and its last unit, and as many as it lacks above that) was guessed to be
// the header of another file whose header does not read (guessed, ascending). Nothing tells the
// two apart: a deleted file's leftovers above a hole in this file pass for a headless file just
// as a headless file's unreadable header does, and without the unit this file comes back short
// or with every later byte one unit too early. A further part is left alone, as below.
void MarkGuessedHeadersUncertain(const std::vector<int>& guessed, const std::vector<int>& lost,
                                 std::vector<FileClaim>& claims);

// After every claim: a file becomes uncertain where a unit that does not read or is blank
// (unowned, ascending) lies between its header and its last unit and went to no file, since
// then a leftover of an older file with its number and extension may stand in for that unit
// (the older file's units lie above the newer one's); and where it still lacks units while a
// tagged unit (tagged, ascending) there went to no file: it may have been its own, with
// another file's unit copied over it. Without the unit every later byte sits one unit too
// early. A further part is left alone, as above.
void MarkGapsUncertain(const std::vector<int>& unowned, const std::vector<int>& tagged,
                       std::vector<FileClaim>& claims);

}  // namespace orv

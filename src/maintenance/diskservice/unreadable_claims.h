// Which file an unreadable unit belonged to. Such a unit says nothing of itself. A file took
// the lowest free units when it was written, so a unit next to its units (with nothing but
// unreadable units between) is most likely where it needs one; but a file also went around
// units that refused its writes, or that were another file's then, and those may be unreadable
// now too.
#pragma once

#include <vector>

#include "maintenance/diskservice/file_claim.h"

namespace orv {

// Gives unreadable units (ascending) to the files that lack units (claims ascending by their
// header unit, their tagged units taken): first those next to a file's own units, files whose
// header lies higher first (a file that went around another file's units went around its
// unreadable ones too); then, to a file still short, those between its units and above its
// last one, lowest first. A file that cannot be whole here (a part of a spread file, or a file
// that lost units) takes every one between its units.
// A file becomes uncertain when its choice was not the only one: it lacked units and had more
// candidates (those between its units and the next ones above its last) than it lacks, or
// shared one with another file that lacked units; an unreadable unit between its units went
// elsewhere (it may have been its own while a leftover of an older file with its number and
// extension stands in for it); or it cannot be whole here and took any.
void GiveUnreadableUnits(const std::vector<int>& unreadable, std::vector<FileClaim>& claims);

}  // namespace orv

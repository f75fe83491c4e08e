// GNU ddrescue mapfiles: which sectors of an image another tool (or our own imaging) read.
//
// The format is ddrescue's ("Mapfile structure" in its manual), read as ddrescuelog reads it:
// '#' at the start of a line or after whitespace begins a comment; the first other line is the
// status line "current_pos current_status [current_pass]" (the status one of ddrescue's phase
// letters ? * / - F G +, the pass a decimal number from 1); then one line per block,
// "pos size status", the numbers as C++ integer constants (decimal, 0x hexadecimal, 0 octal),
// the status one of ? (non-tried), * (non-trimmed), / (non-scraped), - (bad sector),
// + (finished). The blocks follow one another without gaps or overlaps.
#pragma once

#include <bitset>
#include <string>

#include "disk/geometry.h"

namespace orv {

// One bit per sector of the diskette.
using SectorBits = std::bitset<kSectorCount>;

// What a mapfile says of the diskette: a sector reads only when it lies wholly inside '+'
// blocks; every other sector is unreadable.
struct DdrescueMap {
    SectorBits readable;
};

// Parses mapfile text. The blocks must start at byte 0 and reach byte 1 474 560; past it they
// may go on only where nothing is finished (ddrescue's rule for an input of that size). On a
// line that does not parse, or a map that does not cover the diskette, returns false and sets
// error to "NAME:LINE: reason".
bool ParseMapfile(const std::string& text, const std::string& name, DdrescueMap& out,
                  std::string& error);
// Reads and parses the mapfile at path; a file that cannot be read is an error naming it.
bool ReadMapfile(const std::string& path, DdrescueMap& out, std::string& error);

// The mapfile of a run: the comment (each line as a '#' line), a status line, and blocks that
// give the sectors of `read` as '+' and every other sector as `unreadStatus` ('-': tried and
// never read, which ddrescue -r tries again; '?': not tried yet).
std::string FormatMapfile(const SectorBits& read, const std::string& comment,
                          char unreadStatus = '-');

// The mapfile beside an image, or empty when there is none: IMAGE.map, else STEM.map
// ("disk.img": "disk.img.map", else "disk.map"). IMAGE.map goes first since it can belong to no
// other file; never the image itself.
std::string FindMapfile(const std::string& imagePath);

}  // namespace orv

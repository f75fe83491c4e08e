// What the header unit of a file looks like, judged by its structure alone.
#pragma once

#include <cstdint>

#include "fs/layout.h"

namespace orv {

// True when the sector could be the header unit of a file this system wrote: part number 0,
// a printable extension field, a printable, non-empty name field, a size below 2 GB and no
// attribute bit of a volume label, a directory or a device (0x08, 0x10, 0x40). The
// modification time does not decide: a file may carry any date its host file had (0, or one
// later than this machine's clock); nor does a size of 0: an empty file is its header alone.
bool IsPlausibleHeader(const std::uint8_t* sector);

// The file size that a header unit names.
std::uint32_t HeaderSize(const std::uint8_t* sector);

// How many units a file of this size may have on one diskette: every part of a file spread
// over several diskettes carries the whole file's size, so a part has at most this many.
int UnitLimit(std::uint32_t size);

}  // namespace orv

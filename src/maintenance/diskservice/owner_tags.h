// The owners a table entry or a unit's first two bytes can name.
#pragma once

#include "fs/layout.h"

namespace orv {

// 10001..12816: valid table values that no operation of this system writes or lists as files;
// the full test keeps them wherever it finds them.
constexpr bool IsForeignTag(int value) {
    return value >= FAT_TAG_FIRST && value <= FAT_TAG_LAST;
}

// A value that gives a unit to someone: a file number or a foreign tag.
constexpr bool IsOwnerValue(int value) {
    return IsFileNumber(value) || IsForeignTag(value);
}

}  // namespace orv

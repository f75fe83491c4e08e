// How much of a part's bytes one chain position holds.
#pragma once

#include <cstdint>

#include "fs/layout.h"

namespace orv {

// How many of a part's partBytes chain position p holds: its capacity, less at the part's end.
constexpr std::int32_t ChainPieceLength(std::int64_t partBytes, std::uint32_t position) {
    const std::int64_t left = partBytes - ChainPieceOffset(position);
    return std::int32_t(left <= 0                             ? 0
                        : left < ChainPieceCapacity(position) ? left
                                                              : ChainPieceCapacity(position));
}

}  // namespace orv

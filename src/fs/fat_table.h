// The allocation table in memory: an owner map of the 2816 units, dirty flags per table sector,
// and where each table sector of the two copies lives.
#pragma once

#include <array>
#include <cstdint>

#include "fs/layout.h"

namespace orv {

struct CFatTable {
    std::array<std::uint16_t, kUnitCount> entries{};
    std::array<bool, kFatSectorCount> dirty{};
    FatPositions pos1{};
    FatPositions pos2{};

    // Every change of an entry goes through here so that its table sector is marked dirty.
    void Set(int unit, std::uint16_t value) {
        entries[unit] = value;
        dirty[unit / kEntriesPerFatSector] = true;
    }
    bool InPositionTables(int sector) const {
        for (int k = 0; k < kFatSectorCount; ++k)
            if (pos1[k] == sector || pos2[k] == sector) return true;
        return false;
    }
    bool AnyDirty() const {
        for (bool d : dirty)
            if (d) return true;
        return false;
    }
    int Count(std::uint16_t value) const {
        int n = 0;
        for (std::uint16_t e : entries) n += e == value;
        return n;
    }
};

}  // namespace orv

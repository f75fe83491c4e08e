// What one file takes while the full test rebuilds lost owners: shared by the steps that give
// it tagged units and unreadable units.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "fs/layout.h"

namespace orv {

using UnitTag = std::array<std::uint8_t, kUnitHeaderSize>;  // number and extension bytes

struct FileClaim {
    int number = 0;
    int header = -1;
    bool headerWasLost = false;  // the header unit's entry was unknown
    UnitTag tag{};
    int need = 0;            // units above the header that its size asks for
    std::vector<int> units;  // units above the header given to it, ascending
    bool whole = true;       // the diskette can hold all the units its size asks for
    bool uncertain = false;

    int Last() const { return units.empty() ? header : units.back(); }
    int Missing() const { return std::max(0, need - int(units.size())); }
    void Take(const std::vector<int>& more) {
        units.insert(units.end(), more.begin(), more.end());
        std::sort(units.begin(), units.end());
    }
};

}  // namespace orv

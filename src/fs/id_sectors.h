// What the volume knows of a diskette's identification sectors.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "fs/layout.h"

namespace orv {

// What tells one diskette from another: the label and the stamp of its ID record.
struct DisketteIdentity {
    std::string label;
    std::uint32_t stamp = 0;
    bool operator==(const DisketteIdentity&) const = default;
};

struct CIdSectors {
    std::array<std::uint16_t, 3> positions{};  // 0 = no position
    bool flag = false;
    std::uint32_t stampTime = 0;
    std::string label;
    std::string text;
    FatPositions fat1{};
    FatPositions fat2{};

    bool IsIdPosition(int sector) const {
        return sector != 0 &&
               (positions[0] == sector || positions[1] == sector || positions[2] == sector);
    }
};

}  // namespace orv

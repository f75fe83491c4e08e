// Numbers for the byte balances: groups of three digits separated by a space.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// 507 stays "507", 1000 becomes "1 000" and 1427712 becomes "1 427 712".
std::string GroupDigits(std::int32_t value);

constexpr const char* kDisketteTotalText = "1 427 712";

}  // namespace orv

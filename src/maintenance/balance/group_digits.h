// Numbers as the results and information dialogs write them: groups of three digits
// separated by single spaces (1427712 is "1 427 712").
#pragma once

#include <cstdint>
#include <string>

namespace orv {

std::string GroupDigits(std::int32_t number);

}  // namespace orv

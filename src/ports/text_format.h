// printf-style formatting of the program's messages, and the date texts of the file list.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "%#d.%#m.%Y  %#H:%M" in local time: day, month and hour without leading zeros.
std::string DateTimeText(std::uint32_t time);
// "%#d.%#m.%Y" in local time.
std::string DateText(std::uint32_t time);

// ASCII case-insensitive equality (multi-byte characters compare byte by byte).
bool EqualsNoCase(const std::string& a, const std::string& b);

}  // namespace orv

#include "ports/text_format.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <vector>

namespace orv {

std::string StrFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buffer(std::size_t(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.assign(buffer.data(), std::size_t(n));
    }
    va_end(args);
    return out;
}

namespace {
std::tm LocalTime(std::uint32_t time) {
    const std::time_t t = std::time_t(time);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}
}  // namespace

std::string DateTimeText(std::uint32_t time) {
    const std::tm tm = LocalTime(time);
    return StrFormat("%d.%d.%d  %d:%02d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour,
                     tm.tm_min);
}

std::string DateText(std::uint32_t time) {
    const std::tm tm = LocalTime(time);
    return StrFormat("%d.%d.%d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace orv

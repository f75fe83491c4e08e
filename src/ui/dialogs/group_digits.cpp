#include "ui/dialogs/group_digits.h"

namespace orv {

std::string GroupDigits(std::int32_t value) {
    const std::string digits = std::to_string(value);
    const std::size_t n = digits.size();
    if (n <= 3) return digits;
    std::string out = digits.substr(0, n % 3);
    for (std::size_t i = n % 3; i < n; i += 3) {
        if (!out.empty()) out += ' ';
        out += digits.substr(i, 3);
    }
    return out;
}

}  // namespace orv

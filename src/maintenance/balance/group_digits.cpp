#include "maintenance/balance/group_digits.h"

namespace orv {

std::string GroupDigits(std::int32_t number) {
    // The sign is not a digit: it stays in front of the first group ("-1 234").
    const bool negative = number < 0;
    const std::string digits = std::to_string(negative ? -std::int64_t(number) : number);
    std::string out = negative ? "-" : "";
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

}  // namespace orv

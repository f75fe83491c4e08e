#include "transfer/start_position.h"

#include <cctype>
#include <cstdlib>

#include "host/host_file.h"
#include "ports/text_format.h"

namespace orv {

namespace {

std::string RangeMessage() {
    std::string text = "Please enter an integer between %1 and %2.";
    text.replace(text.find("%1"), 2, "0");
    text.replace(text.find("%2"), 2, std::to_string(kMaxStartPosition));
    return text;
}

}  // namespace

std::optional<std::int32_t> ParsePosition(const std::string& text, std::string& error) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::size_t j = text.size();
    while (j > i && std::isspace(static_cast<unsigned char>(text[j - 1]))) --j;
    const std::string body = text.substr(i, j - i);
    std::size_t k = 0;
    if (k < body.size() && (body[k] == '+' || body[k] == '-')) ++k;
    if (k == body.size()) {
        error = "Please enter an integer.";
        return std::nullopt;
    }
    for (std::size_t d = k; d < body.size(); ++d) {
        if (!std::isdigit(static_cast<unsigned char>(body[d]))) {
            error = "Please enter an integer.";
            return std::nullopt;
        }
    }
    // Long digit strings are out of range, not malformed.
    const std::string digits = body.substr(k);
    const bool negative = body[0] == '-';
    if (negative && digits.find_first_not_of('0') != std::string::npos) {
        error = RangeMessage();
        return std::nullopt;
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first != std::string::npos && digits.size() - first > 10) {
        error = RangeMessage();
        return std::nullopt;
    }
    const long long value = std::atoll(digits.c_str());
    if (value > kMaxStartPosition) {
        error = RangeMessage();
        return std::nullopt;
    }
    return std::int32_t(value);
}

std::string CheckStartPosition(const std::string& file, std::int32_t position, StartUse use) {
    if (file.empty()) return "Enter file name.";
    HostFileStatus status;
    if (!GetHostFileStatus(file, status))
        return StrFormat("The file %s does not exist.", file.c_str());
    const bool beyond = use == StartUse::CopyAt ? position > status.size : position >= status.size;
    if (beyond) return StrFormat("The entered position %ld exceeds file size.", long(position));
    return {};
}

}  // namespace orv

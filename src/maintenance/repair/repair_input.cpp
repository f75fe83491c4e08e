#include "maintenance/repair/repair_input.h"

#include <cctype>
#include <climits>
#include <filesystem>

#include "maintenance/repair/repair_texts.h"
#include "ports/text_format.h"

namespace orv {

namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int SectorNumberFromText(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX + 1LL;  // saturate; out of range either way
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return int(value);
}

bool AcceptSectorEntry(const std::string& text, IUserPort& user) {
    const int k = SectorNumberFromText(text);
    if (k >= 1 && k <= kMaxChainPosition) return true;
    Notify(user, repair_text::kSectorRange, Icon::None);
    return false;
}

bool AcceptNewSectorEntry(const std::string& text, const std::vector<std::string>& listed,
                          IUserPort& user) {
    if (!AcceptSectorEntry(text, user)) return false;
    const int k = SectorNumberFromText(text);
    for (const std::string& entry : listed) {
        if (SectorNumberFromText(entry) == k) {
            Notify(user, StrFormat(repair_text::kAlreadyListed, k), Icon::None);
            return false;
        }
    }
    return true;
}

std::optional<std::int32_t> ParseStartByte(const std::string& text, std::string& error) {
    std::size_t i = 0, end = text.size();
    while (i < end && IsBlank(text[i])) ++i;
    while (end > i && IsBlank(text[end - 1])) --end;
    std::size_t j = i;
    if (j < end && (text[j] == '+' || text[j] == '-')) ++j;
    if (j == end) {
        error = repair_text::kNotAnInteger;
        return std::nullopt;
    }
    for (std::size_t k = j; k < end; ++k) {
        if (!IsDigit(text[k])) {
            error = repair_text::kNotAnInteger;
            return std::nullopt;
        }
    }
    const int value = SectorNumberFromText(text.substr(i, end - i));
    const bool digitsFit = end - j <= 10;  // longer texts are far out of range
    if (!digitsFit || value < 0 || value > kMaxStartByte) {
        error = repair_text::kStartByteRange;
        return std::nullopt;
    }
    return std::int32_t(value);
}

std::optional<RepairRequest> AcceptRepairDialog(const RepairDialogInput& input, IUserPort& user) {
    if (input.file.empty() || input.repairFile.empty()) {
        Notify(user, repair_text::kFilesMissing, Icon::None);
        return std::nullopt;
    }
    std::string error;
    const auto start = ParseStartByte(input.startByte, error);
    if (!start) {
        Notify(user, error, Icon::Exclamation);
        return std::nullopt;
    }
    RepairRequest request;
    request.file = input.file;
    request.repairFile = input.repairFile;
    request.startByte = *start;
    for (const std::string& entry : input.entries) {
        if (!AcceptSectorEntry(entry, user)) return std::nullopt;
        request.list.push_back(std::uint32_t(SectorNumberFromText(entry)));
    }
    return request;
}

std::string ProposeRepairFileName(const std::string& path) {
    const std::filesystem::path p(path);
    return (p.parent_path() / ("repair_" + p.filename().string())).string();
}

}  // namespace orv

#include "transfer/report_reader.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <sstream>

#include "fs/layout.h"

namespace orv {

namespace {

constexpr const char* kStartLabel = "Start Byte:";

std::string Trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// A whole decimal number without sign; nothing else on the text.
std::optional<std::int64_t> Number(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

bool IsReportStart(std::int64_t start) {
    return start >= 0 && start <= std::numeric_limits<std::int32_t>::max();
}

bool AddReportPosition(ReadReport& report, std::int64_t position) {
    if (position < 1 || position > kUnitCount) return false;
    const auto p = std::uint32_t(position);
    if (std::find(report.positions.begin(), report.positions.end(), p) == report.positions.end())
        report.positions.push_back(p);
    return true;
}

// One report for each "Start Byte:" line, with the positions below it.
bool ParseSavedReports(const std::string& text, std::vector<ReadReport>& reports) {
    const std::size_t before = reports.size();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::string t = Trimmed(line);
        if (t.empty()) continue;
        if (t.rfind(kStartLabel, 0) == 0) {
            const auto start = Number(Trimmed(t.substr(std::string(kStartLabel).size())));
            if (!start || !IsReportStart(*start)) return false;
            reports.emplace_back().startByte = std::int32_t(*start);
            continue;
        }
        const auto position = Number(t);
        if (reports.size() == before || !position || !AddReportPosition(reports.back(), *position))
            return false;
    }
    return reports.size() > before;
}

std::string ReportChoiceText(const ReadReport& report) {
    std::string text = report.name.empty() ? std::string() : report.name + ", ";
    text += "start byte " + std::to_string(report.startByte) + ": ";
    if (report.positions.empty()) return text + "no positions";
    // A diskette that is all but dead has hundreds: the first few tell the reports apart.
    constexpr std::size_t kShown = 6;
    const std::size_t n = report.positions.size();
    text += n == 1 ? "position " : "positions ";
    for (std::size_t i = 0; i < std::min(n, kShown); ++i)
        text += (i ? ", " : "") + std::to_string(report.positions[i]);
    if (n > kShown) text += " and " + std::to_string(n - kShown) + " more";
    return text;
}

}  // namespace orv

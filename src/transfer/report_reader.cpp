#include "transfer/report_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
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

bool ValidPosition(std::int64_t p) {
    return p >= 1 && p <= kUnitCount;
}

bool ValidStart(std::int64_t s) {
    return s >= 0 && s <= std::numeric_limits<std::int32_t>::max();
}

// Each position once: a repair file carries a piece per entry, and one piece is enough.
bool Add(ReadReport& report, std::int64_t position) {
    if (!ValidPosition(position)) return false;
    const auto p = std::uint32_t(position);
    if (std::find(report.positions.begin(), report.positions.end(), p) == report.positions.end())
        report.positions.push_back(p);
    return true;
}

// One report for each "Start Byte:" line, with the positions below it.
bool ParseSavedReports(const std::string& text, std::vector<ReadReport>& reports) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::string t = Trimmed(line);
        if (t.empty()) continue;
        if (t.rfind(kStartLabel, 0) == 0) {
            const auto start = Number(Trimmed(t.substr(std::string(kStartLabel).size())));
            if (!start || !ValidStart(*start)) return false;
            reports.emplace_back().startByte = std::int32_t(*start);
            continue;
        }
        const auto position = Number(t);
        if (reports.empty() || !position || !Add(reports.back(), *position)) return false;
    }
    return !reports.empty();
}

bool ParseJsonReport(const nlohmann::json& doc, ReadReport& report) {
    if (!doc.is_object()) return false;
    const auto start = doc.find("start");
    const auto bad = doc.find("bad");
    if (start == doc.end() || !start->is_number_integer() ||
        !ValidStart(start->get<std::int64_t>()))
        return false;
    if (bad == doc.end() || !bad->is_array()) return false;
    if (const auto name = doc.find("name"); name != doc.end() && name->is_string())
        report.name = name->get<std::string>();
    report.startByte = std::int32_t(start->get<std::int64_t>());
    for (const nlohmann::json& piece : *bad) {
        if (!piece.is_object()) return false;
        const auto position = piece.find("position");
        if (position == piece.end() || !position->is_number_integer() ||
            !Add(report, position->get<std::int64_t>()))
            return false;
    }
    return true;
}

// One object, or an array of them when the command met several damaged parts or files.
bool ParseJsonReports(const std::string& text, std::vector<ReadReport>& reports) {
    const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded()) return false;
    if (!doc.is_array()) return ParseJsonReport(doc, reports.emplace_back());
    for (const nlohmann::json& entry : doc)
        if (!ParseJsonReport(entry, reports.emplace_back())) return false;
    return !reports.empty();
}

}  // namespace

bool ReadBadSectorReports(const std::string& path, std::vector<ReadReport>& reports,
                          std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        error = path + "\n\nFile could not be opened.";
        return false;
    }
    std::vector<ReadReport> saved, json;
    if (ParseSavedReports(text, saved)) {
        reports = std::move(saved);
        return true;
    }
    if (ParseJsonReports(text, json)) {
        reports = std::move(json);
        return true;
    }
    error = path +
            "\n\nis neither a bad-sector report saved by Orvalis nor the --report-json file of a "
            "copy or a rescue.";
    return false;
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

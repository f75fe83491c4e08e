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

bool ParseSavedReport(const std::string& text, ReadReport& report) {
    std::istringstream in(text);
    std::string line;
    bool started = false;
    while (std::getline(in, line)) {
        const std::string t = Trimmed(line);
        if (t.empty()) continue;
        if (!started) {
            if (t.rfind(kStartLabel, 0) != 0) return false;
            const auto start = Number(Trimmed(t.substr(std::string(kStartLabel).size())));
            if (!start || !ValidStart(*start)) return false;
            report.startByte = std::int32_t(*start);
            started = true;
            continue;
        }
        const auto position = Number(t);
        if (!position || !Add(report, *position)) return false;
    }
    return started;
}

bool ParseJsonReport(const std::string& text, ReadReport& report) {
    const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return false;
    const auto start = doc.find("start");
    const auto bad = doc.find("bad");
    if (start == doc.end() || !start->is_number_integer() ||
        !ValidStart(start->get<std::int64_t>()))
        return false;
    if (bad == doc.end() || !bad->is_array()) return false;
    report.startByte = std::int32_t(start->get<std::int64_t>());
    for (const nlohmann::json& entry : *bad) {
        const nlohmann::json* position = &entry;
        if (entry.is_object()) {
            const auto found = entry.find("position");
            if (found == entry.end()) return false;
            position = &*found;
        }
        if (!position->is_number_integer() || !Add(report, position->get<std::int64_t>()))
            return false;
    }
    return true;
}

}  // namespace

bool ReadBadSectorReport(const std::string& path, ReadReport& report, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        error = path + "\n\nFile could not be opened.";
        return false;
    }
    ReadReport saved, json;
    if (ParseSavedReport(text, saved)) {
        report = saved;
        return true;
    }
    if (ParseJsonReport(text, json)) {
        report = json;
        return true;
    }
    error = path +
            "\n\nis neither a bad-sector report saved by Orvalis nor the --report-json file of a "
            "copy.";
    return false;
}

}  // namespace orv

#include "disk/fault_map.h"

#include <charconv>
#include <sstream>

namespace orv {

void FaultMap::Set(int sector, Fault fault) {
    if (sector >= 0 && sector < kSectorCount) m_faults[sector] = fault;
}

void FaultMap::SetRange(int first, int last, Fault fault) {
    for (int s = first; s <= last; ++s) Set(s, fault);
}

Fault FaultMap::At(int sector) const {
    if (sector < 0 || sector >= kSectorCount) return Fault::None;
    return m_faults[sector];
}

void FaultMap::SetReadable(int sector, bool readable) {
    const Fault f = At(sector);
    const bool writeFails = f == Fault::Unwritable || f == Fault::Bad;
    Set(sector, readable ? (writeFails ? Fault::Unwritable : Fault::None)
                         : (writeFails ? Fault::Bad : Fault::Unreadable));
}

void FaultMap::Clear() {
    m_faults.fill(Fault::None);
    m_bWriteProtected = false;
}

bool FaultMap::Empty() const {
    if (m_bWriteProtected) return false;
    for (Fault f : m_faults)
        if (f != Fault::None) return false;
    return true;
}

bool FaultMap::BlocksRead(int first, int count) const {
    for (int s = first; s < first + count; ++s) {
        const Fault f = At(s);
        if (f == Fault::Unreadable || f == Fault::Bad) return true;
    }
    return false;
}

bool FaultMap::BlocksWrite(int first, int count) const {
    if (m_bWriteProtected) return true;
    for (int s = first; s < first + count; ++s) {
        const Fault f = At(s);
        if (f == Fault::Unwritable || f == Fault::Bad) return true;
    }
    return false;
}

namespace {

bool ParseSector(std::string_view text, int& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc{} && ptr == end && value >= 0 && value < kSectorCount;
}

}  // namespace

bool FaultMap::Parse(const std::string& text, const std::string& name, FaultMap& out,
                     std::string& error) {
    FaultMap map;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = name + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string kind, range, extra;
        if (!(words >> kind)) continue;  // blank or comment-only line
        if (kind == "write-protected") {
            if (words >> extra) return fail("'write-protected' takes no sector range");
            map.SetWriteProtected(true);
            continue;
        }
        Fault fault;
        if (kind == "unreadable")
            fault = Fault::Unreadable;
        else if (kind == "unwritable")
            fault = Fault::Unwritable;
        else if (kind == "bad")
            fault = Fault::Bad;
        else
            return fail("unknown fault kind '" + kind +
                        "' (expected unreadable, unwritable, bad or write-protected)");
        if (!(words >> range)) return fail("missing sector number after '" + kind + "'");
        if (words >> extra) return fail("unexpected text '" + extra + "'");
        int first = 0, last = 0;
        const auto dash = range.find('-');
        const std::string_view rv(range);
        if (dash == std::string::npos) {
            if (!ParseSector(rv, first)) return fail("bad sector number '" + range + "' (0..2879)");
            last = first;
        } else if (!ParseSector(rv.substr(0, dash), first) ||
                   !ParseSector(rv.substr(dash + 1), last)) {
            return fail("bad sector range '" + range + "' (0..2879)");
        } else if (last < first) {
            return fail("sector range '" + range + "' runs backwards");
        }
        map.SetRange(first, last, fault);
    }
    out = map;
    return true;
}

std::string FaultMap::Format() const {
    std::ostringstream out;
    if (m_bWriteProtected) out << "write-protected\n";
    int s = 0;
    while (s < kSectorCount) {
        const Fault f = m_faults[s];
        int e = s;
        while (e + 1 < kSectorCount && m_faults[e + 1] == f) ++e;
        if (f != Fault::None) {
            out << (f == Fault::Unreadable   ? "unreadable "
                    : f == Fault::Unwritable ? "unwritable "
                                             : "bad ")
                << s;
            if (e > s) out << '-' << e;
            out << '\n';
        }
        s = e + 1;
    }
    return out.str();
}

std::string FaultSidecarPath(const std::string& imagePath) {
    return imagePath + ".faults";
}

}  // namespace orv

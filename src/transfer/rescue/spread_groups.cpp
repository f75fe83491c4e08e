#include "transfer/rescue/spread_groups.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "fs/name_text.h"

namespace orv {

int SpreadPartNumber(const std::string& extension) {
    if (extension.empty() || extension.size() > 3 || extension[0] == '0') return 0;
    int number = 0;
    for (char c : extension) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

namespace {

// The copy of part k to collect: the first intact one, else the first found.
std::size_t Choose(const std::vector<SpreadPart>& parts, const std::vector<std::size_t>& copies) {
    for (std::size_t i : copies)
        if (parts[i].intact) return i;
    return copies.front();
}

bool SamePart(const SpreadPart& a, const SpreadPart& b) {
    if (a.intact && b.intact) return a.sha256 == b.sha256;
    return a.diskette == b.diskette;
}

// One copy of each different candidate among the copies of a part.
std::vector<std::size_t> Candidates(const std::vector<SpreadPart>& parts,
                                    const std::vector<std::size_t>& copies) {
    std::vector<std::size_t> distinct;
    for (std::size_t i : copies)
        if (std::none_of(distinct.begin(), distinct.end(),
                         [&](std::size_t d) { return SamePart(parts[d], parts[i]); }))
            distinct.push_back(i);
    return distinct;
}

void Settle(const std::vector<SpreadPart>& parts, SpreadGroup& group) {
    std::stable_sort(group.parts.begin(), group.parts.end(),
                     [&](std::size_t a, std::size_t b) { return parts[a].part < parts[b].part; });
    const int last = parts[group.parts.back()].part;
    for (int k = 0; k <= last; ++k) {
        std::vector<std::size_t> copies;
        for (std::size_t i : group.parts)
            if (parts[i].part == k) copies.push_back(i);
        const std::vector<std::size_t> distinct = Candidates(parts, copies);
        if (distinct.size() > 1) {
            group.ambiguous = true;
            group.candidates.insert(group.candidates.end(), distinct.begin(), distinct.end());
        }
    }
    if (group.ambiguous) return;
    std::vector<std::size_t> chosen;
    std::int64_t covered = 0;
    bool whole = true;
    for (int k = 0; covered < std::int64_t(group.size) || chosen.empty(); ++k) {
        std::vector<std::size_t> copies;
        for (std::size_t i : group.parts)
            if (parts[i].part == k) copies.push_back(i);
        if (copies.empty()) return;  // a part is missing: nothing to collect
        const std::size_t c = Choose(parts, copies);
        chosen.push_back(c);
        whole = whole && parts[c].intact;
        covered += std::max<std::int32_t>(parts[c].capacity, 0);
        if (parts[c].capacity <= 0) return;  // a part that holds nothing never reaches the end
    }
    group.chosen = std::move(chosen);
    group.complete = whole;
}

}  // namespace

std::vector<SpreadGroup> GroupSpreadParts(const std::vector<SpreadPart>& parts) {
    std::vector<SpreadGroup> groups;
    std::map<std::tuple<std::string, std::uint32_t, std::uint32_t>, std::size_t> index;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const SpreadPart& p = parts[i];
        const auto key = std::make_tuple(p.name, p.size, p.modificationTime);
        auto [it, added] = index.try_emplace(key, groups.size());
        if (added) {
            SpreadGroup group;
            group.name = DisplayText(p.name);
            group.size = p.size;
            group.modificationTime = p.modificationTime;
            groups.push_back(std::move(group));
        }
        SpreadGroup& group = groups[it->second];
        group.parts.push_back(i);
        if (p.part == 0) group.name = p.displayName;
    }
    for (SpreadGroup& group : groups) Settle(parts, group);
    return groups;
}

}  // namespace orv

#include "maintenance/diskservice/unreadable_claims.h"

#include <map>

namespace orv {

namespace {

constexpr int kNobody = 0;

// The unreadable units, each with the number of the file that took it.
using Owners = std::map<int, int>;

// Units that nobody took yet, above `from` and below `to`, ascending.
std::vector<int> Unclaimed(const Owners& owners, int from, int to) {
    std::vector<int> units;
    for (auto it = owners.upper_bound(from); it != owners.end() && it->first < to; ++it)
        if (it->second == kNobody) units.push_back(it->first);
    return units;
}

void Give(Owners& owners, std::vector<int> units, int most, FileClaim& claim) {
    if (int(units.size()) > most) units.resize(std::size_t(most));
    for (int u : units) owners[u] = claim.number;
    claim.Take(units);
}

bool IsOwn(const FileClaim& c, int unit) {
    return unit == c.header || std::binary_search(c.units.begin(), c.units.end(), unit);
}

// Unclaimed units in runs of unreadable units that touch one of the file's units from below
// or above (above its header: the header itself reads).
std::vector<int> NextToOwn(const Owners& owners, const FileClaim& c) {
    std::vector<int> units;
    for (auto it = owners.upper_bound(c.header); it != owners.end();) {
        auto end = it;
        int last = it->first;
        while (end != owners.end() && end->first == last) {
            ++end;
            ++last;
        }
        if (IsOwn(c, it->first - 1) || IsOwn(c, last))
            for (; it != end; ++it)
                if (it->second == kNobody) units.push_back(it->first);
        it = end;
    }
    return units;
}

// Where each file could find the units it lacks: between its units, and the next ones above
// its last unit.
std::vector<int> Candidates(const Owners& owners, const FileClaim& c) {
    std::vector<int> units = Unclaimed(owners, c.header, c.Last());
    if (!c.whole) return units;
    std::vector<int> above = Unclaimed(owners, c.Last(), kUnitCount);
    if (int(above.size()) > c.Missing()) above.resize(std::size_t(c.Missing()));
    units.insert(units.end(), above.begin(), above.end());
    return units;
}

void Assign(Owners& owners, std::vector<FileClaim>& claims) {
    for (auto it = claims.rbegin(); it != claims.rend(); ++it)
        if (it->whole && it->Missing() > 0)
            Give(owners, NextToOwn(owners, *it), it->Missing(), *it);
    for (FileClaim& c : claims)
        if (!c.whole) Give(owners, Unclaimed(owners, c.header, c.Last()), kUnitCount, c);
    for (FileClaim& c : claims) {
        if (!c.whole || c.Missing() == 0) continue;
        const int last = c.Last();
        Give(owners, Unclaimed(owners, c.header, last), c.Missing(), c);
        Give(owners, Unclaimed(owners, last, kUnitCount), c.Missing(), c);
    }
}

}  // namespace

void GiveUnreadableUnits(const std::vector<int>& unreadable, std::vector<FileClaim>& claims) {
    Owners owners;
    for (int u : unreadable) owners[u] = kNobody;

    // The choices, judged before anything is given.
    std::vector<std::size_t> tookBefore(claims.size());
    std::vector<std::vector<int>> candidates(claims.size());
    std::map<int, int> wanted;  // unit -> files that lack units and could take it
    for (std::size_t i = 0; i < claims.size(); ++i) {
        FileClaim& c = claims[i];
        c.whole = c.Missing() <= int(Unclaimed(owners, c.header, kUnitCount).size());
        tookBefore[i] = c.units.size();
        if (c.Missing() == 0) continue;
        candidates[i] = Candidates(owners, c);
        for (int u : candidates[i]) ++wanted[u];
        if (c.whole && int(candidates[i].size()) > c.Missing()) c.uncertain = true;
    }

    Assign(owners, claims);

    for (std::size_t i = 0; i < claims.size(); ++i) {
        FileClaim& c = claims[i];
        for (int u : candidates[i])
            if (wanted[u] > 1) c.uncertain = true;
        if (!c.whole && c.units.size() > tookBefore[i]) c.uncertain = true;
        for (auto it = owners.upper_bound(c.header); it != owners.end() && it->first < c.Last();
             ++it)
            if (it->second != c.number) c.uncertain = true;
    }
}

}  // namespace orv

#include "maintenance/diskservice/claim_units.h"

#include <algorithm>

#include "maintenance/diskservice/plausible_header.h"

namespace orv {

namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;
constexpr int kNobody = 0;

UnitTag TagOf(const std::uint8_t* sector) {
    UnitTag tag;
    std::copy(sector, sector + kUnitHeaderSize, tag.begin());
    return tag;
}

// What one file takes.
struct Claim {
    int number = 0;
    int header = -1;
    bool headerWasLost = false;  // the header unit's entry was unknown
    UnitTag tag{};
    int need = 0;            // units above the header that its size asks for
    std::vector<int> units;  // units above the header given to it, ascending
    bool whole = true;       // the diskette can hold all the units its size asks for
    bool uncertain = false;

    int Last() const { return units.empty() ? header : units.back(); }
    int Missing() const { return std::max(0, need - int(units.size())); }
};

// The unreadable units, each with the file that took it (kNobody at first).
using UnreadableOwners = std::map<int, int>;

// The header unit of a file and what it says, or false when nothing proves that the file
// exists: the table knows none of its units and no tagged unit holds a header, or the header
// unit the table names cannot be read.
bool FindHeader(CVolume& volume, const std::vector<int>& known,
                const std::vector<TaggedUnit>& tagged, Claim& claim) {
    const TaggedUnit* lostHeader = nullptr;
    for (const TaggedUnit& t : tagged) {
        if (t.header) {
            lostHeader = &t;
            break;
        }
    }
    std::uint32_t size;
    if (!known.empty() && (!lostHeader || known.front() < lostHeader->unit)) {
        // The table still names the file's lowest unit: its header tells what belongs to it.
        Sector s;
        if (volume.ReadSector(SectorOfUnit(known.front()), s.data()) != 0) return false;
        claim.header = known.front();
        claim.tag = TagOf(s.data());
        size = HeaderSize(s.data());
    } else if (lostHeader) {
        claim.header = lostHeader->unit;
        claim.headerWasLost = true;
        claim.tag = lostHeader->tag;
        size = lostHeader->size;
    } else {
        return false;
    }
    claim.need = UnitLimit(size) - 1;
    return true;
}

// The units the table knows, then the tagged units lowest first, as many as the size needs.
// Tagged units beyond that make the file uncertain: which of them are stale cannot be told.
void TakeTagged(const std::vector<int>& known, const std::vector<TaggedUnit>& tagged,
                Claim& claim) {
    for (int u : known)
        if (u > claim.header) claim.units.push_back(u);
    int room = claim.need - int(claim.units.size());
    for (const TaggedUnit& t : tagged) {
        if (t.unit <= claim.header || t.tag != claim.tag) continue;
        if (room <= 0) {
            claim.uncertain = true;
            continue;
        }
        claim.units.push_back(t.unit);
        --room;
    }
    std::sort(claim.units.begin(), claim.units.end());
}

// Unreadable units that nobody took yet, above `from` and below `to`, lowest first, while the
// file lacks units (a file that cannot be whole here takes every one).
void TakeUnreadable(UnreadableOwners& owners, int from, int to, Claim& claim) {
    std::vector<int> taken;
    for (auto it = owners.upper_bound(from); it != owners.end() && it->first < to; ++it) {
        if (claim.whole && claim.Missing() <= int(taken.size())) break;
        if (it->second != kNobody) continue;
        it->second = claim.number;
        taken.push_back(it->first);
        // How many units of a part lie here is unknown: its units may have gone around
        // a bad unit as well as lost one.
        if (!claim.whole) claim.uncertain = true;
    }
    claim.units.insert(claim.units.end(), taken.begin(), taken.end());
    std::sort(claim.units.begin(), claim.units.end());
}

int UnclaimedAbove(const UnreadableOwners& owners, int unit) {
    int n = 0;
    for (auto it = owners.upper_bound(unit); it != owners.end(); ++it) n += it->second == kNobody;
    return n;
}

// An unreadable unit between the file's units that no file needed: either a unit the file
// went around when it was written, or one of its own while a stale tagged unit stands in for
// it. Nothing tells which.
bool UnneededUnreadableBetween(const UnreadableOwners& owners, const Claim& claim) {
    for (auto it = owners.upper_bound(claim.header); it != owners.end() && it->first < claim.Last();
         ++it)
        if (it->second == kNobody) return true;
    return false;
}

}  // namespace

std::vector<int> ClaimLostUnits(CVolume& volume, const LostUnits& lost) {
    CFatTable& fat = volume.Fat();
    std::vector<std::vector<int>> known(std::size_t(FAT_MAX_FILE) + 1);
    for (int u = 0; u < kUnitCount; ++u)
        if (IsFileNumber(fat.entries[std::size_t(u)]))
            known[fat.entries[std::size_t(u)]].push_back(u);
    UnreadableOwners owners;
    for (int u : lost.unreadable) owners[u] = kNobody;

    const std::vector<TaggedUnit> none;
    std::vector<Claim> claims;
    for (int number = 1; number <= FAT_MAX_FILE; ++number) {
        auto it = lost.tagged.find(number);
        const std::vector<TaggedUnit>& tagged = it == lost.tagged.end() ? none : it->second;
        // A file of the table without lost units can gain only unreadable ones.
        if (tagged.empty() && (owners.empty() || known[std::size_t(number)].empty())) continue;
        Claim claim;
        claim.number = number;
        if (!FindHeader(volume, known[std::size_t(number)], tagged, claim)) continue;
        TakeTagged(known[std::size_t(number)], tagged, claim);
        claims.push_back(std::move(claim));
    }
    std::sort(claims.begin(), claims.end(),
              [](const Claim& a, const Claim& b) { return a.header < b.header; });

    // Unreadable units between a file's units first, so that no file reaching past its last
    // unit takes one that another file needs between its own.
    for (Claim& c : claims) {
        if (c.Missing() == 0) continue;
        c.whole = c.Missing() <= UnclaimedAbove(owners, c.header);
        TakeUnreadable(owners, c.header, c.Last(), c);
    }
    for (Claim& c : claims)
        if (c.whole && c.Missing() > 0) TakeUnreadable(owners, c.Last(), kUnitCount, c);

    std::vector<int> uncertain;
    for (Claim& c : claims) {
        if (c.headerWasLost) fat.Set(c.header, std::uint16_t(c.number));
        for (int u : c.units) fat.Set(u, std::uint16_t(c.number));
        if (c.uncertain || UnneededUnreadableBetween(owners, c)) uncertain.push_back(c.number);
    }
    std::sort(uncertain.begin(), uncertain.end());
    return uncertain;
}

}  // namespace orv

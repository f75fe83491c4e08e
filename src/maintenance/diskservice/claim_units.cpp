#include "maintenance/diskservice/claim_units.h"

#include <algorithm>

#include "maintenance/diskservice/blank_claims.h"
#include "maintenance/diskservice/plausible_header.h"
#include "maintenance/diskservice/unreadable_claims.h"

namespace orv {

namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;

UnitTag TagOf(const std::uint8_t* sector) {
    UnitTag tag;
    std::copy(sector, sector + kUnitHeaderSize, tag.begin());
    return tag;
}

// The header unit of a file and what it says, or false when nothing proves that the file
// exists: the table knows none of its units and no tagged unit holds a header, or the header
// unit the table names cannot be read.
bool FindHeader(CVolume& volume, const std::vector<int>& known,
                const std::vector<TaggedUnit>& tagged, FileClaim& claim) {
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
        if (!volume.ReadSector(SectorOfUnit(known.front()), s.data())) return false;
        claim.header = known.front();
        claim.tag = TagOf(s.data());
        size = HeaderSize(s.data());
    } else if (lostHeader) {
        claim.header = lostHeader->unit;
        claim.headerWasLost = true;
        claim.tag = lostHeader->tag;
        size = lostHeader->size;
        // Another header with this number: a deleted file's, or this one's while the lower one
        // is a deleted file's on a unit that later refused a write (the file went around it).
        // Nothing tells which. With the same extension it may as well be a data unit of this
        // file that passes for a header; not so where the units with its tag do not fill the
        // size that the lower header names, or where units follow the upper one and fill the
        // size it names (a last unit, its data short, passes for a header of a size up to 448).
        std::vector<const TaggedUnit*> same;  // the units with its tag above its header
        for (const TaggedUnit& t : tagged) {
            if (t.unit <= claim.header) continue;
            if (t.header && t.tag != claim.tag) claim.uncertain = true;
            if (t.tag == claim.tag) same.push_back(&t);
        }
        for (std::size_t i = 0; i < same.size(); ++i) {
            if (!same[i]->header) continue;
            const int above = int(same.size() - i - 1);
            if (int(same.size()) < UnitLimit(size) - 1 ||
                (above > 0 && above >= UnitLimit(same[i]->size) - 1))
                claim.uncertain = true;
        }
    } else {
        return false;
    }
    claim.need = UnitLimit(size) - 1;
    return true;
}

// The units the table knows, then the tagged units lowest first, as many as the size needs.
// Tagged units beyond that, or below the header, make the file uncertain: which of them are
// stale cannot be told.
void TakeTagged(const std::vector<int>& known, const std::vector<TaggedUnit>& tagged,
                FileClaim& claim) {
    std::vector<int> units;
    for (int u : known)
        if (u > claim.header) units.push_back(u);
    int room = claim.need - int(units.size());
    for (const TaggedUnit& t : tagged) {
        if (t.tag != claim.tag || t.unit == claim.header) continue;
        // Below the header: a leftover of an older file, or this file's own units while its
        // real header no longer reads and a data unit passes for one.
        if (t.unit < claim.header) {
            claim.uncertain = true;
            continue;
        }
        if (room <= 0) {
            claim.uncertain = true;
            continue;
        }
        units.push_back(t.unit);
        --room;
    }
    claim.Take(units);
}

// What each unit is while the owners are rebuilt, for the header that does not read.
enum class Seen : std::uint8_t { Other, Unreadable, Blank, Free };

// No header of the file reads, yet its data units carry its tag: the header is the file's lowest
// unit, so it is the nearest unit below them that does not read or reads blank (a hole in an
// image where the header never read), reached across nothing but units the file went around
// when it was written (other files' units, bad and system units). A unit the table holds free
// stops the search: the file would have taken it. A blank unit whose owner was lost cannot be
// such a free unit: one that was never written lies above every file, since each file took the
// lowest free units. The file keeps its units under that header, unlisted while the header does
// not read (as where the table names them), rather than leave them free for the next add; it is
// uncertain, its size unknown.
bool GuessUnreadableHeader(const std::vector<Seen>& seen, std::vector<bool>& guessed,
                           const std::vector<int>& known, const std::vector<TaggedUnit>& tagged,
                           FileClaim& claim) {
    if (!known.empty()) {
        // The table names the header, which does not read: its tagged units above it stay its.
        claim.header = known.front();
        const auto above = std::find_if(tagged.begin(), tagged.end(),
                                        [&](const TaggedUnit& t) { return t.unit > claim.header; });
        if (above == tagged.end()) return false;  // nothing of it was lost
        claim.tag = above->tag;
        claim.need = int(known.size()) - 1;
        for (auto t = above; t != tagged.end(); ++t)
            if (t->tag == claim.tag) ++claim.need;
        claim.uncertain = true;
        return true;
    }
    if (tagged.empty()) return false;
    const TaggedUnit& lowest = tagged.front();
    for (int u = lowest.unit - 1; u >= 0; --u) {
        if (seen[std::size_t(u)] == Seen::Free) return false;
        const Seen what = seen[std::size_t(u)];
        if ((what != Seen::Unreadable && what != Seen::Blank) || guessed[std::size_t(u)]) continue;
        guessed[std::size_t(u)] = true;
        claim.header = u;
        claim.headerWasLost = true;
        claim.tag = lowest.tag;
        claim.uncertain = true;
        claim.need = 0;
        for (const TaggedUnit& t : tagged)
            if (t.tag == claim.tag) ++claim.need;
        return true;
    }
    return false;
}

// Whether the first unit above the file's last one that the file would not have gone around
// (another file's, a bad or a system unit) reads blank: the unit it lacks may have become a
// hole there just as well as be an unreadable unit that it takes.
bool BlankNext(const std::vector<Seen>& seen, const FileClaim& claim) {
    for (int u = claim.Last() + 1; u < kUnitCount; ++u)
        if (seen[std::size_t(u)] != Seen::Other) return seen[std::size_t(u)] == Seen::Blank;
    return false;
}

}  // namespace

std::vector<int> ClaimLostUnits(CVolume& volume, const LostUnits& lost) {
    CFatTable& fat = volume.Fat();
    std::vector<std::vector<int>> known(std::size_t(FAT_MAX_FILE) + 1);
    for (int u = 0; u < kUnitCount; ++u)
        if (IsFileNumber(fat.entries[std::size_t(u)]))
            known[fat.entries[std::size_t(u)]].push_back(u);

    std::vector<Seen> seen(std::size_t(kUnitCount), Seen::Other);
    for (int u = 0; u < kUnitCount; ++u)
        if (fat.entries[std::size_t(u)] == FAT_FREE) seen[std::size_t(u)] = Seen::Free;
    for (int u : lost.unreadable) seen[std::size_t(u)] = Seen::Unreadable;
    for (int u : lost.blank) seen[std::size_t(u)] = Seen::Blank;
    std::vector<bool> guessed(std::size_t(kUnitCount), false);

    const std::vector<TaggedUnit> none;
    std::vector<FileClaim> claims;
    for (int number = 1; number <= FAT_MAX_FILE; ++number) {
        auto it = lost.tagged.find(number);
        const std::vector<TaggedUnit>& tagged = it == lost.tagged.end() ? none : it->second;
        // A file of the table without lost units can gain only unreadable ones.
        if (tagged.empty() &&
            ((lost.unreadable.empty() && lost.blank.empty()) || known[std::size_t(number)].empty()))
            continue;
        FileClaim claim;
        claim.number = number;
        if (!FindHeader(volume, known[std::size_t(number)], tagged, claim) &&
            !GuessUnreadableHeader(seen, guessed, known[std::size_t(number)], tagged, claim))
            continue;
        TakeTagged(known[std::size_t(number)], tagged, claim);
        claims.push_back(std::move(claim));
    }
    std::sort(claims.begin(), claims.end(),
              [](const FileClaim& a, const FileClaim& b) { return a.header < b.header; });
    std::vector<int> guessedUnits, damaged(lost.unreadable.begin(), lost.unreadable.end());
    damaged.insert(damaged.end(), lost.blank.begin(), lost.blank.end());
    std::sort(damaged.begin(), damaged.end());
    for (int u : damaged)
        if (guessed[std::size_t(u)]) guessedUnits.push_back(u);
    MarkGuessedHeadersUncertain(guessedUnits, damaged, claims);
    // A unit taken for a header is no longer there for another file to take.
    std::vector<int> unreadable, blank;
    for (int u : lost.unreadable)
        if (!guessed[std::size_t(u)]) unreadable.push_back(u);
    for (int u : lost.blank)
        if (!guessed[std::size_t(u)]) blank.push_back(u);
    std::vector<std::size_t> before(claims.size());
    for (std::size_t i = 0; i < claims.size(); ++i)
        before[i] = BlankNext(seen, claims[i]) ? claims[i].units.size() : kUnitCount;
    GiveUnreadableUnits(unreadable, claims);
    for (std::size_t i = 0; i < claims.size(); ++i)
        if (claims[i].units.size() > before[i]) claims[i].uncertain = true;
    GiveBlankUnits(blank, claims);
    std::vector<int> unowned(unreadable.begin(), unreadable.end());
    unowned.insert(unowned.end(), blank.begin(), blank.end());
    std::sort(unowned.begin(), unowned.end());
    std::vector<int> tagged;
    for (const auto& [number, units] : lost.tagged)
        for (const TaggedUnit& t : units) tagged.push_back(t.unit);
    std::sort(tagged.begin(), tagged.end());
    MarkGapsUncertain(unowned, tagged, claims);

    std::vector<int> uncertain;
    for (const FileClaim& c : claims) {
        if (c.headerWasLost) fat.Set(c.header, std::uint16_t(c.number));
        for (int u : c.units) fat.Set(u, std::uint16_t(c.number));
        if (c.uncertain) uncertain.push_back(c.number);
    }
    std::sort(uncertain.begin(), uncertain.end());
    return uncertain;
}

}  // namespace orv

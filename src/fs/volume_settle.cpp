// Opening a diskette whose two table copies differ: a table write was cut short (copy 1 is
// written before copy 2 begins, so they differ only where the cut fell). The units carry their
// owner's tag, and settle what the copies leave open.
#include <algorithm>
#include <memory>
#include <set>

#include "fs/volume.h"

namespace orv {

namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;

// The entry of a unit on which the copies disagree and that no file claims: a mark of bad or
// system wins over free, so that a unit that may be bad is never given out.
std::uint16_t NonFileValue(std::uint16_t a, std::uint16_t b) {
    if (a == FAT_BAD || b == FAT_BAD) return FAT_BAD;
    if (a == FAT_SYSTEM || b == FAT_SYSTEM) return FAT_SYSTEM;
    if (a >= FAT_TAG_FIRST && a <= FAT_TAG_LAST) return a;
    if (b >= FAT_TAG_FIRST && b <= FAT_TAG_LAST) return b;
    return FAT_FREE;
}

}  // namespace

int CVolume::SettleDifferingCopies(std::vector<FileRecord>* unsettled) {
    auto copy1 = std::make_unique<FatArray>();
    auto copy2 = std::make_unique<FatArray>();
    ReadFatCopyRaw(*copy1, 1);
    ReadFatCopyRaw(*copy2, 2);
    std::vector<int> differing;
    if (DifferingSectors(*copy1, *copy2, &differing) == 0) return 0;
    const FatArray loaded = m_fat.entries;

    // Entries stay as loaded where the copies agree; where they differ, no file keeps a unit
    // until its own units confirm it. Nothing here is written: the diskette is left as it is
    // until the disk service repairs it.
    std::set<int> files;
    for (int k : differing) {
        for (int i = k * kEntriesPerFatSector; i < (k + 1) * kEntriesPerFatSector; ++i) {
            const std::uint16_t a = (*copy1)[std::size_t(i)], b = (*copy2)[std::size_t(i)];
            if (a == b) continue;
            for (std::uint16_t v : {a, b})
                if (IsFileNumber(v)) files.insert(v);
            m_fat.entries[std::size_t(i)] = NonFileValue(a, b);
        }
    }

    struct Claim {
        int number = 0;
        std::vector<int> candidates;  // units that either copy gives the file
        std::vector<int> kept;        // those the units themselves confirm
        bool whole = false;
        FileRecord record;
    };
    std::vector<Claim> claims;
    Sector s;
    for (int number : files) {
        Claim c;
        c.number = number;
        c.record.fileNumber = std::uint16_t(number);
        for (int u = 0; u < kUnitCount; ++u)
            if (loaded[std::size_t(u)] == number || (*copy1)[std::size_t(u)] == number ||
                (*copy2)[std::size_t(u)] == number)
                c.candidates.push_back(u);
        // A file's header is its lowest unit, so only a unit that is the lowest of the file in
        // one of the tables can be it. Any other unit carrying the file's tag holds data: where
        // the header unit was overwritten or cannot be read, taking the next one would list a
        // file named and sized by its data bytes.
        std::set<int> lowest;
        const FatArray* tables[] = {&loaded, copy1.get(), copy2.get()};
        for (const FatArray* table : tables)
            for (int u = 0; u < kUnitCount; ++u)
                if ((*table)[std::size_t(u)] == number) {
                    lowest.insert(u);
                    break;
                }
        // The header unit names the file; every further unit repeats its first five bytes.
        std::array<std::uint8_t, kUnitHeaderSize> tag{};
        bool header = false;
        for (int u : c.candidates) {
            if (!ReadSector(SectorOfUnit(u), s.data())) {
                // An unreadable unit that both copies give the file stays its own (a copy
                // meets it with filler and a report); one only a copy gives it is no proof.
                if (header && (*copy1)[std::size_t(u)] == (*copy2)[std::size_t(u)])
                    c.kept.push_back(u);
                continue;
            }
            if (!header) {
                if (OwnerTag(s.data()) != number || !lowest.count(u)) continue;
                header = true;
                std::copy(s.begin(), s.begin() + kUnitHeaderSize, tag.begin());
                c.record.extension = FieldText(s.data() + rec::header::kExtension, kExtensionWidth);
                c.record.name = FieldText(s.data() + rec::header::kName, kNameWidth);
                c.record.size = GetU32(s.data() + rec::header::kSize);
                c.kept.push_back(u);
            } else if (std::equal(tag.begin(), tag.end(), s.begin())) {
                c.kept.push_back(u);
            }
        }
        // Only a whole file is listed: one whose size needs every unit kept, no more, no less.
        const std::int32_t size = std::int32_t(std::min<std::uint32_t>(c.record.size, INT32_MAX));
        c.whole = header && std::int64_t(c.kept.size()) == UnitsForBytes(size);
        claims.push_back(std::move(c));
    }
    // What no whole file keeps is set aside (or free, where only whole files had claimed it);
    // then the whole files take their units.
    for (const Claim& c : claims)
        for (int u : c.candidates)
            if (!c.whole || m_fat.entries[std::size_t(u)] != FAT_UNKNOWN)
                m_fat.entries[std::size_t(u)] = c.whole ? FAT_FREE : FAT_UNKNOWN;
    for (const Claim& c : claims) {
        if (c.whole) {
            for (int u : c.kept) m_fat.entries[std::size_t(u)] = std::uint16_t(c.number);
        } else if (unsettled) {
            unsettled->push_back(c.record);
        }
    }
    return int(differing.size());
}

}  // namespace orv

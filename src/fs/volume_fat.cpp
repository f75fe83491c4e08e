// Loading and writing the two copies of the allocation table, with relocation of table
// sectors that can no longer be written.
#include "fs/volume.h"

namespace orv {

namespace {
using Sector = std::array<std::uint8_t, kSectorSize>;
constexpr int kMaxDataAreaAttempts = 31;
// Each extra pass of WriteFat follows a table sector moved into the data area, whose unit
// then has to be marked in another (or the same) table sector.
constexpr int kMaxWritePasses = 64;

bool IsTablePosition(int sector) { return sector >= 1 && sector < kSectorCount; }
}  // namespace

int CVolume::ReadFat(bool fill) {
    int result = 1;
    Sector s;
    for (int k = 0; k < kFatSectorCount; ++k) {
        std::uint16_t* chunk = &m_fat.entries[std::size_t(k) * kEntriesPerFatSector];
        bool taken = false;
        for (int pos : {int(m_ids.fat1[k]), int(m_ids.fat2[k])}) {
            if (IsTablePosition(pos) && ReadSector(pos, s.data()) == 0 &&
                DecodeFatSector(s.data(), chunk)) {
                taken = true;
                break;
            }
        }
        if (taken) continue;
        result = 0;
        if (!fill) return 0;  // partly loaded; the caller must not write this table
        std::fill(chunk, chunk + kEntriesPerFatSector, FAT_UNKNOWN);
    }
    m_fat.dirty.fill(false);
    m_fat.pos1 = m_ids.fat1;
    m_fat.pos2 = m_ids.fat2;
    // A unit that holds a table sector is a system unit, whatever the table says.
    for (const FatPositions* table : {&m_fat.pos1, &m_fat.pos2})
        for (int pos : *table)
            if (IsDataSector(pos) && m_fat.entries[UnitOfSector(pos)] != FAT_SYSTEM)
                m_fat.Set(UnitOfSector(pos), FAT_SYSTEM);
    return result;
}

int CVolume::WriteFat() {
    int moves = 0;
    for (int pass = 0; pass < kMaxWritePasses && m_fat.AnyDirty(); ++pass) {
        for (int k = 0; k < kFatSectorCount; ++k) {
            if (!m_fat.dirty[k]) continue;
            // Cleared before the write: a table sector moved into the data area marks its
            // unit in some table sector, which must then be written too, even this one.
            m_fat.dirty[k] = false;
            const int r = WriteFatSector(k);
            if (r < 0) {
                m_fat.dirty[k] = true;
                return -1;
            }
            moves += r;
        }
    }
    return m_fat.AnyDirty() ? -1 : moves;
}

int CVolume::WriteFatSector(int k) {
    Sector image;
    EncodeFatSector(&m_fat.entries[std::size_t(k) * kEntriesPerFatSector], image.data());
    const bool ok1 = IsTablePosition(m_fat.pos1[k]) && WriteSector(m_fat.pos1[k], image.data()) == 0;
    const bool ok2 = IsTablePosition(m_fat.pos2[k]) && WriteSector(m_fat.pos2[k], image.data()) == 0;
    if (!ok1 && RelocateFatSector(k, m_fat.pos1, image.data()) < 0) return -1;
    if (!ok2 && RelocateFatSector(k, m_fat.pos2, image.data()) < 0) return -1;
    return ok1 && ok2 ? 0 : 1;
}

int CVolume::RelocateFatSector(int k, FatPositions& positions, const std::uint8_t* image) {
    const int old = positions[k];
    auto take = [&](int s) {
        positions[k] = std::uint16_t(s);
        // A data unit that refused the table's write is bad; the new one is a system unit.
        if (IsDataSector(old)) m_fat.Set(UnitOfSector(old), FAT_BAD);
        if (IsDataSector(s)) m_fat.Set(UnitOfSector(s), FAT_SYSTEM);
        return 0;
    };
    for (int s = kSpareAreaFirst; s <= kSystemAreaLast; ++s) {
        if (m_fat.InPositionTables(s) || m_ids.IsIdPosition(s)) continue;
        if (WriteSector(s, image) == 0) return take(s);
    }
    int attempts = 0;
    for (int s = kFirstDataSector; s <= kSectorCount - 2 && attempts < kMaxDataAreaAttempts; ++s) {
        if (m_fat.entries[UnitOfSector(s)] != FAT_FREE || m_fat.InPositionTables(s) ||
            m_ids.IsIdPosition(s))
            continue;
        ++attempts;
        if (WriteSector(s, image) == 0) return take(s);
    }
    return -1;
}

void CVolume::ReadFatCopyRaw(FatArray& entries, int copy) {
    const FatPositions& positions = copy == 1 ? m_fat.pos1 : m_fat.pos2;
    Sector s;
    for (int k = 0; k < kFatSectorCount; ++k) {
        std::uint16_t* chunk = &entries[std::size_t(k) * kEntriesPerFatSector];
        const int pos = positions[k];
        if (!IsTablePosition(pos) || ReadSector(pos, s.data()) != 0) {
            std::fill(chunk, chunk + kEntriesPerFatSector, FAT_UNREADABLE);
            continue;
        }
        for (int i = 0; i < kEntriesPerFatSector; ++i) chunk[i] = GetU16(s.data() + 2 * i);
    }
}

}  // namespace orv

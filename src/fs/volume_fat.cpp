// Loading and writing the two copies of the allocation table, with relocation of table
// sectors that can no longer be written.
#include <algorithm>
#include <memory>

#include "fs/volume.h"

namespace orv {

namespace {
using Sector = std::array<std::uint8_t, kSectorSize>;
constexpr int kMaxDataAreaAttempts = 31;
constexpr int kLastRelocationSector = 2877;
// Each extra pass of WriteFat follows a table sector moved into the data area, whose unit
// then has to be marked in another (or the same) table sector.
constexpr int kMaxWritePasses = 64;

bool IsTablePosition(int sector) {
    return sector >= 1 && sector < kSectorCount;
}
}  // namespace

// An ID record may name any numbers. A position that is no sector of 1..2879, belongs to an ID
// sector or repeats an earlier position would make two table sectors share one place: it
// counts as no position, so that the other copy is read and the write finds a new place.
void CVolume::DropImpossibleFatPositions() {
    std::array<bool, kSectorCount> used{};
    for (FatPositions* table : {&m_ids.fat1, &m_ids.fat2}) {
        for (auto& pos : *table) {
            if (!IsTablePosition(pos) || m_ids.IsIdPosition(pos) || used[pos]) {
                pos = 0;
                continue;
            }
            used[pos] = true;
        }
    }
}

void CVolume::ReadCopySectors(const FatPositions& positions, CopySectors& out,
                              const std::array<bool, kFatSectorCount>& wanted) {
    std::array<std::uint8_t, kFatSectorCount * kSectorSize> run;
    for (int k = 0; k < kFatSectorCount && !out.driveFailed;) {
        if (!wanted[k] || !IsTablePosition(positions[k])) {
            ++k;
            continue;
        }
        int n = 1;
        while (k + n < kFatSectorCount && wanted[k + n] && positions[k + n] == positions[k] + n)
            ++n;
        const Status whole = m_device.ReadSectorsDirect(0, positions[k], n, run.data());
        for (int i = 0; i < n && !out.driveFailed; ++i) {
            std::uint8_t* into = out.data[std::size_t(k + i)].data();
            if (whole) {
                std::copy_n(run.data() + std::size_t(i) * kSectorSize, kSectorSize, into);
                out.read[std::size_t(k + i)] = true;
                continue;
            }
            const Status alone =
                IsDriveFailure(whole.Error()) ? whole : ReadSystemSector(positions[k + i], into);
            if (!alone) {
                out.driveFailed = IsDriveFailure(alone.Error());
                if (out.driveFailed) out.cause = alone.Error();
                continue;
            }
            out.read[std::size_t(k + i)] = true;
        }
        k += n;
    }
}

Status CVolume::ReadFat(bool fill) {
    DropImpossibleFatPositions();
    Status result;
    std::array<bool, kFatSectorCount> all;
    all.fill(true);
    CopySectors copy1, copy2;
    ReadCopySectors(m_ids.fat1, copy1, all);
    // Copy 2 only for what copy 1 does not give.
    std::array<bool, kFatSectorCount> missing{};
    for (int k = 0; k < kFatSectorCount; ++k) {
        std::uint16_t* chunk = &m_fat.entries[std::size_t(k) * kEntriesPerFatSector];
        missing[std::size_t(k)] = !copy1.read[std::size_t(k)] ||
                                  !DecodeFatSector(copy1.data[std::size_t(k)].data(), chunk);
    }
    copy2.driveFailed = copy1.driveFailed;
    copy2.cause = copy1.cause;
    ReadCopySectors(m_ids.fat2, copy2, missing);
    for (int k = 0; k < kFatSectorCount; ++k) {
        if (!missing[std::size_t(k)]) continue;
        std::uint16_t* chunk = &m_fat.entries[std::size_t(k) * kEntriesPerFatSector];
        if (copy2.read[std::size_t(k)] && DecodeFatSector(copy2.data[std::size_t(k)].data(), chunk))
            continue;
        // A sector that read in neither copy, or read and made no sense: it is damaged, unless
        // the drive failed as a whole.
        const IoError cause = copy2.driveFailed ? copy2.cause : copy1.cause;
        result = Status::ReadFailure(cause);
        if (!fill) return result;  // partly loaded; the caller must not write this table
        std::fill(chunk, chunk + kEntriesPerFatSector, FAT_UNKNOWN);
    }
    m_fat.dirty.fill(false);
    m_fat.pos1 = m_ids.fat1;
    m_fat.pos2 = m_ids.fat2;
    // A unit that holds a table sector is a system unit, whatever the table says; but a unit
    // that the table gives to a file holds its data, and an ID record that names it as a table
    // position is wrong: the position goes (the next table write finds a new one), and the
    // file keeps its unit.
    for (FatPositions* table : {&m_fat.pos1, &m_fat.pos2}) {
        for (auto& pos : *table) {
            if (!IsDataSector(pos)) continue;
            const std::uint16_t owner = m_fat.entries[UnitOfSector(pos)];
            if (IsFileNumber(owner) || (owner >= FAT_TAG_FIRST && owner <= FAT_TAG_LAST)) {
                pos = 0;
                m_fat.dirty[std::size_t(&pos - table->data())] = true;
            } else if (owner != FAT_SYSTEM) {
                m_fat.Set(UnitOfSector(pos), FAT_SYSTEM);
            }
        }
    }
    return result;
}

Result<int> CVolume::WriteFat() {
    bool wrote = false;
    for (int pass = 0; pass < kMaxWritePasses && m_fat.AnyDirty(); ++pass) {
        // Cleared before the writes: a table sector moved into the data area marks its unit
        // in some table sector, which must then be written too, even one of these.
        const auto pending = m_fat.dirty;
        m_fat.dirty.fill(false);
        // Copy 1 is finished before copy 2 begins, so that a write cut short leaves one copy
        // whole and the copies differ only where the cut fell. A barrier before each copy
        // keeps that order on the medium, whatever cache lies between: the data units the
        // table names are there before copy 1, and copy 1 before copy 2.
        for (FatPositions* positions : {&m_fat.pos1, &m_fat.pos2}) {
            Status written = Barrier();
            if (written) written = WriteFatCopy(*positions, pending);
            if (written) {
                wrote = true;
                continue;
            }
            for (int j = 0; j < kFatSectorCount; ++j) m_fat.dirty[j] = m_fat.dirty[j] || pending[j];
            return written;
        }
    }
    // Still dirty after every pass: moved sectors kept marking units of each other.
    if (m_fat.AnyDirty()) return Status::Failure(IoError::Unwritable);
    // Both copies are on the medium before the ID sectors that may name their new places.
    if (wrote) {
        if (const Status flushed = Barrier(); !flushed) return flushed;
    }
    // Moves are counted against what the ID sectors record, not against this call: a sector
    // moved by an earlier call that then failed must still reach the ID sectors.
    int moved = 0;
    for (int k = 0; k < kFatSectorCount; ++k)
        moved += m_fat.pos1[k] != m_ids.fat1[k] || m_fat.pos2[k] != m_ids.fat2[k];
    return moved;
}

Status CVolume::WriteFatCopy(FatPositions& positions,
                             const std::array<bool, kFatSectorCount>& pending) {
    std::array<std::uint8_t, kFatSectorCount * kSectorSize> images, back;
    for (int k = 0; k < kFatSectorCount;) {
        if (!pending[k]) {
            ++k;
            continue;
        }
        // Side by side positions of the system area go in one request and come back in one.
        int n = 1;
        const int first = positions[k];
        while (k + n < kFatSectorCount && pending[k + n] && positions[k + n] == first + n &&
               first + n <= kSystemAreaLast)
            ++n;
        bool done = false;
        if (n > 1 && IsTablePosition(first) && first + n - 1 <= kSystemAreaLast) {
            for (int i = 0; i < n; ++i)
                EncodeFatSector(&m_fat.entries[std::size_t(k + i) * kEntriesPerFatSector],
                                images.data() + std::size_t(i) * kSectorSize);
            if (const Status written = m_device.WriteSectors(0, first, n, images.data())) {
                m_systemWrites += n;
                done = m_device.ReadSectorsDirect(0, first, n, back.data()).Ok() &&
                       std::equal(images.begin(), images.begin() + n * kSectorSize, back.begin());
            } else if (IsDriveFailure(written.Error())) {
                return written;
            }
        }
        for (int i = 0; i < n && !done; ++i)
            if (const Status written = WriteFatSector(k + i, positions); !written) return written;
        k += n;
    }
    return {};
}

Status CVolume::WriteFatSector(int k, FatPositions& positions) {
    Sector image;
    EncodeFatSector(&m_fat.entries[std::size_t(k) * kEntriesPerFatSector], image.data());
    if (IsTablePosition(positions[k])) {
        const Status written = WriteVerified(positions[k], image.data());
        if (written) return {};
        // A write-protected or empty drive takes no write anywhere: looking for a new place
        // would only cost requests (and mark good units bad).
        if (IsDriveFailure(written.Error())) return written;
    }
    return RelocateFatSector(k, positions, image.data());
}

Status CVolume::WriteVerified(int sector, const std::uint8_t* image) {
    if (const Status written = WriteSystemSector(sector, image); !written) return written;
    // A worn sector of the system area may take a write and still not read back: a table or
    // ID record written there would be lost without a word. (A unit of the data area that
    // took a table sector is trusted as written: it is the last resort, and a unit that failed
    // the check could be given to no one.)
    if (sector > kSystemAreaLast) return {};
    Sector back;
    if (const Status read = ReadSystemSector(sector, back.data()); !read) return read;
    // It read back, but not as written: the sector does not keep what it takes.
    if (!std::equal(back.begin(), back.end(), image)) return Status::WriteFailure(IoError::None);
    return {};
}

Status CVolume::RelocateFatSector(int k, FatPositions& positions, const std::uint8_t* image) {
    const int old = positions[k];
    auto take = [&](int s) {
        positions[k] = std::uint16_t(s);
        // A data unit that refused the table's write is bad; the new one is a system unit.
        if (IsDataSector(old)) m_fat.Set(UnitOfSector(old), FAT_BAD);
        if (IsDataSector(s)) m_fat.Set(UnitOfSector(s), FAT_SYSTEM);
        return Status{};
    };
    for (int s = kSpareAreaFirst; s <= kSystemAreaLast; ++s) {
        if (m_fat.InPositionTables(s) || m_ids.IsIdPosition(s)) continue;
        const Status written = WriteVerified(s, image);
        if (written) return take(s);
        if (IsDriveFailure(written.Error())) return written;
    }
    int attempts = 0;
    // The last two units are left out: 2879 takes the reserve ID copy.
    for (int s = kFirstDataSector; s <= kLastRelocationSector && attempts < kMaxDataAreaAttempts;
         ++s) {
        if (m_fat.entries[UnitOfSector(s)] != FAT_FREE || m_fat.InPositionTables(s) ||
            m_ids.IsIdPosition(s))
            continue;
        ++attempts;
        const Status written = WriteVerified(s, image);
        if (written) return take(s);
        if (IsDriveFailure(written.Error())) return written;
        // A unit that refuses a write is bad, whatever was to be written there: left free, the
        // next file would be sent to it.
        m_fat.Set(UnitOfSector(s), FAT_BAD);
    }
    return Status::Failure(IoError::Unwritable);  // no place takes it
}

void CVolume::ReadFatCopyRaw(FatArray& entries, int copy) {
    std::array<bool, kFatSectorCount> all;
    all.fill(true);
    CopySectors sectors;
    ReadCopySectors(copy == 1 ? m_fat.pos1 : m_fat.pos2, sectors, all);
    for (int k = 0; k < kFatSectorCount; ++k) {
        std::uint16_t* chunk = &entries[std::size_t(k) * kEntriesPerFatSector];
        if (!sectors.read[std::size_t(k)]) {
            std::fill(chunk, chunk + kEntriesPerFatSector, FAT_UNREADABLE);
            continue;
        }
        const std::uint8_t* s = sectors.data[std::size_t(k)].data();
        for (int i = 0; i < kEntriesPerFatSector; ++i)
            chunk[i] = GetU16(s + rec::fat::kEntryWidth * i);
    }
}

bool CVolume::TableMatchesDiskette() {
    // A sector changed in memory and not yet written may differ by right.
    std::array<bool, kFatSectorCount> clean;
    for (int k = 0; k < kFatSectorCount; ++k) clean[std::size_t(k)] = !m_fat.dirty[std::size_t(k)];
    CopySectors copy1, copy2;
    ReadCopySectors(m_fat.pos1, copy1, clean);
    if (copy1.driveFailed) return false;  // nothing to compare with
    std::array<std::uint16_t, kEntriesPerFatSector> entries;
    std::array<bool, kFatSectorCount> missing{};
    for (int k = 0; k < kFatSectorCount; ++k)
        missing[std::size_t(k)] =
            clean[std::size_t(k)] &&
            !(copy1.read[std::size_t(k)] &&
              DecodeFatSector(copy1.data[std::size_t(k)].data(), entries.data()));
    ReadCopySectors(m_fat.pos2, copy2, missing);
    for (int k = 0; k < kFatSectorCount; ++k) {
        if (!clean[std::size_t(k)]) continue;
        const CopySectors& from = missing[std::size_t(k)] ? copy2 : copy1;
        // A sector that reads in neither copy proves nothing either way.
        if (!from.read[std::size_t(k)] ||
            !DecodeFatSector(from.data[std::size_t(k)].data(), entries.data()))
            continue;
        if (!std::equal(entries.begin(), entries.end(),
                        m_fat.entries.begin() + k * kEntriesPerFatSector))
            return false;
    }
    return true;
}

int CVolume::DifferingFatSectors(std::vector<int>* sectors) {
    auto copy1 = std::make_unique<FatArray>();
    auto copy2 = std::make_unique<FatArray>();
    ReadFatCopyRaw(*copy1, 1);
    ReadFatCopyRaw(*copy2, 2);
    return DifferingSectors(*copy1, *copy2, sectors);
}

int DifferingSectors(const FatArray& copy1, const FatArray& copy2, std::vector<int>* sectors) {
    int differing = 0;
    for (int k = 0; k < kFatSectorCount; ++k) {
        const auto first1 = copy1.begin() + k * kEntriesPerFatSector;
        const auto first2 = copy2.begin() + k * kEntriesPerFatSector;
        const auto last1 = first1 + kEntriesPerFatSector;
        // An unreadable copy reads as FAT_UNREADABLE, which is no valid value.
        if (!std::all_of(first1, last1, IsValidFatValue) ||
            !std::all_of(first2, first2 + kEntriesPerFatSector, IsValidFatValue) ||
            std::equal(first1, last1, first2))
            continue;
        ++differing;
        if (sectors) sectors->push_back(k);
    }
    return differing;
}

}  // namespace orv

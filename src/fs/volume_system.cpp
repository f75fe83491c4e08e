// Sector 0, the identification sectors and the same-diskette test.
#include <algorithm>
#include <cstring>

#include "fs/clock.h"
#include "fs/name_text.h"
#include "fs/volume.h"

namespace orv {

namespace {
using Sector = std::array<std::uint8_t, kSectorSize>;
constexpr int kRepairAttempts = 3;

enum class SectorKind : std::uint8_t { Unreadable, Plain, Id };

struct SystemAreaScan {
    std::array<SectorKind, kSystemAreaLast + 1> kind{};
    std::array<std::uint32_t, kSystemAreaLast + 1> stamp{};
    int newestSector = 0;
    std::uint32_t newestStamp = 0;
    Sector newest{};
    IoError driveFailure = IoError::None;  // the drive failed as a whole; the rest was not read
};

// Reads sectors 1..63 a track at a time; only a track that fails as a whole is read sector by
// sector, so that a single bad sector costs no more than its track.
SystemAreaScan ScanSystemArea(CSectorDevice& device) {
    SystemAreaScan scan;
    std::array<std::uint8_t, kSectorsPerTrack * kSectorSize> track;
    for (int first = kSystemAreaFirst; first <= kSystemAreaLast;) {
        const int end =
            std::min(kSystemAreaLast + 1, (first / kSectorsPerTrack + 1) * kSectorsPerTrack);
        const int count = end - first;
        const Status read = device.ReadSectorsDirect(0, first, count, track.data());
        const bool whole = read.Ok();
        if (!whole && IsDriveFailure(read.Error())) {
            scan.driveFailure = read.Error();
            return scan;
        }
        for (int i = 0; i < count; ++i) {
            std::uint8_t* s = track.data() + std::size_t(i) * kSectorSize;
            const std::size_t sector = std::size_t(first + i);
            IdRecord record;
            if (!whole && !device.ReadSectorsDirect(0, first + i, 1, s))
                scan.kind[sector] = SectorKind::Unreadable;
            else if (!ParseIdRecordBytes(s, record))
                scan.kind[sector] = SectorKind::Plain;
            else {
                scan.kind[sector] = SectorKind::Id;
                scan.stamp[sector] = record.stampTime;
                if (scan.newestSector == 0 || record.stampTime > scan.newestStamp) {
                    scan.newestSector = int(sector);
                    scan.newestStamp = record.stampTime;
                    std::copy(s, s + kSectorSize, scan.newest.begin());
                }
            }
        }
        first = end;
    }
    return scan;
}

}  // namespace

Result<bool> CVolume::CheckSector0() {
    Sector s;
    if (const Status read = ReadSystemSector(kBootSector, s.data()); !read) return read;
    return BootHasSignature(s.data());
}

Status CVolume::RepairSector0() {
    Sector boot;
    BuildBootRecord(boot.data());
    Status written;
    for (int attempt = 0; attempt < kRepairAttempts; ++attempt) {
        written = m_device.BiosWriteSectors(0, kBootSector, 1, boot.data());
        if (!written) {
            if (IsDriveFailure(written.Error())) return written;  // no attempt can succeed
            continue;
        }
        ++m_systemWrites;
        Sector back;
        // The write counts only when the sector reads back with the signature in place.
        if (const Status read = ReadSystemSector(kBootSector, back.data()); !read) return read;
        return BootHasSignature(back.data()) ? Status{} : Status::Failure(IoError::Unwritable);
    }
    return written;
}

bool CVolume::ParseIdRecord(const std::uint8_t* sector, bool takeFields) {
    IdRecord record;
    if (!ParseIdRecordBytes(sector, record)) return false;
    if (takeFields) {
        m_ids.flag = record.flag;
        m_ids.label = record.label;
        m_ids.text = record.text;
        m_ids.stampTime = record.stampTime;
        m_ids.fat1 = record.fat1;
        m_ids.fat2 = record.fat2;
    }
    return true;
}

Result<bool> CVolume::FindIdSectors() {
    Sector s;
    if (const Status read = ReadSystemSector(kBootSector, s.data()); !read) return read;

    // An ID sector that refused a rewrite still holds an older record with older table
    // positions. Only records with the newest stamp count as ID sectors; older ones are
    // treated like any other readable sector.
    const SystemAreaScan scan = ScanSystemArea(m_device);
    if (scan.driveFailure != IoError::None)  // as good as an empty drive
        return Status::Failure(scan.driveFailure);
    std::array<bool, 3> isId{};
    int found = 0;
    for (int sector = kSystemAreaFirst; sector <= kSystemAreaLast && found < 3; ++sector) {
        const SectorKind kind = scan.kind[std::size_t(sector)];
        if (kind == SectorKind::Unreadable) continue;
        if (kind == SectorKind::Id && scan.stamp[std::size_t(sector)] == scan.newestStamp) {
            m_ids.positions[std::size_t(found)] = std::uint16_t(sector);
            isId[std::size_t(found)] = true;
            ++found;
            continue;
        }
        // A readable sector is a candidate for an empty position (later ID sectors still
        // take their position by order).
        for (auto& pos : m_ids.positions) {
            if (pos == 0) {
                pos = std::uint16_t(sector);
                break;
            }
        }
    }
    if (found == 0) return false;
    ParseIdRecord(scan.newest.data(), true);
    // A candidate that holds a table sector must never receive an ID record.
    for (int i = 0; i < 3; ++i) {
        const int pos = m_ids.positions[std::size_t(i)];
        if (isId[std::size_t(i)] || pos == 0) continue;
        for (int k = 0; k < kFatSectorCount; ++k)
            if (m_ids.fat1[k] == pos || m_ids.fat2[k] == pos) m_ids.positions[std::size_t(i)] = 0;
    }
    return true;
}

Status CVolume::WriteIdSectors(const std::string* label, const std::string* text) {
    const FatPositions recorded1 = m_ids.fat1, recorded2 = m_ids.fat2;
    m_ids.fat1 = m_fat.pos1;
    m_ids.fat2 = m_fat.pos2;
    if (label) m_ids.label = StoredText(*label, kLabelWidth);
    if (text) m_ids.text = text->substr(0, kTextWidth);

    // The newest stamp names the ID sectors, so a new record must outrank every one already on
    // the diskette: one left in a sector that refused its rewrite, or one written while a
    // clock ran ahead. Stamps only grow, a second at least, whatever the clock says.
    const std::uint32_t stamp = m_ids.stampTime == UINT32_MAX
                                    ? m_ids.stampTime
                                    : std::max(CurrentTime(), m_ids.stampTime + 1);
    IdRecord record{m_ids.flag, m_ids.label, m_ids.text, stamp, m_ids.fat1, m_ids.fat2};
    Sector image;
    BuildIdRecord(record, image.data());

    int written = 0;
    bool driveFailed = false;  // write-protected or empty: nothing further is tried
    Status last;               // the last record write tried: its cause is the failure's
    const auto positionsBefore = m_ids.positions;
    for (auto& pos : m_ids.positions) {
        // Never write an ID record over a table sector or outside the system area.
        if (pos < kSystemAreaFirst || pos > kSystemAreaLast || m_fat.InPositionTables(pos)) {
            pos = 0;
            continue;
        }
        last = WriteVerified(pos, image.data());
        if (last) {
            ++written;
        } else if (IsDriveFailure(last.Error())) {
            driveFailed = true;
            break;
        } else {
            pos = 0;
        }
    }
    if (driveFailed && written == 0) m_ids.positions = positionsBefore;  // they hold what they held
    if (!driveFailed && m_fat.entries[UnitOfSector(kReserveIdSector)] == FAT_FREE &&
        !m_fat.InPositionTables(kReserveIdSector))
        // The reserve copy is a spare: a sector that refuses it changes nothing.
        (void)WriteSystemSector(kReserveIdSector, image.data());

    for (int s = kSystemAreaFirst; s <= kSystemAreaLast && written < 3 && !driveFailed; ++s) {
        if (m_fat.InPositionTables(s) || m_ids.IsIdPosition(s)) continue;
        last = WriteVerified(s, image.data());
        if (!last) {
            driveFailed = IsDriveFailure(last.Error());
            continue;
        }
        ++written;
        for (auto& pos : m_ids.positions) {
            if (pos == 0) {
                pos = std::uint16_t(s);
                break;
            }
        }
    }
    if (written == 0) {
        // Nothing records the positions: the next WriteFat must still report them as moved.
        m_ids.fat1 = recorded1;
        m_ids.fat2 = recorded2;
        return Status::WriteFailure(last.Error());
    }
    // The diskette now carries the new stamp; remember it, or our own rewrite would make the
    // diskette look like another one.
    m_ids.stampTime = record.stampTime;
    // The operation is on the medium when it reports success.
    return Barrier();
}

Status CVolume::PrepareNewSystemArea() {
    auto& pos = m_ids.positions;
    if (pos[0] == 0) return Status::Failure(IoError::Unreadable);
    // Defaults 2 and 3 for missing positions, never doubling a position already taken.
    for (int i = 1; i < 3; ++i) {
        if (pos[i] != 0) continue;
        int s = i + 1;
        while (m_ids.IsIdPosition(s)) ++s;
        pos[i] = std::uint16_t(s);
    }
    FatPositions copy1{}, copy2{};
    int s = 4;
    for (int k = 0; k < kFatSectorCount; ++k, ++s) {
        while (m_ids.IsIdPosition(s)) ++s;
        copy1[k] = std::uint16_t(s);
    }
    auto inCopy1 = [&](int x) {
        for (auto p : copy1)
            if (p == x) return true;
        return false;
    };
    s = 15;
    for (int k = 0; k < kFatSectorCount; ++k, ++s) {
        while (m_ids.IsIdPosition(s) || inCopy1(s)) ++s;
        copy2[k] = std::uint16_t(s);
    }
    m_ids.fat1 = m_fat.pos1 = copy1;
    m_ids.fat2 = m_fat.pos2 = copy2;
    m_ids.flag = false;
    m_fat.entries.fill(FAT_FREE);
    return {};
}

Result<bool> CVolume::SameDiskette() {
    Sector s;
    Status last = Status::Failure(IoError::Unreadable);  // no ID position to read
    for (int pos : m_ids.positions) {
        if (pos == 0) continue;
        last = ReadSystemSector(pos, s.data());
        if (!last) {
            if (IsDriveFailure(last.Error())) return last;
            continue;
        }
        IdRecord record;
        if (!ParseIdRecordBytes(s.data(), record)) return false;
        return record.label == m_ids.label && record.stampTime == m_ids.stampTime;
    }
    return last;
}

void CVolume::ResetVolume() {
    m_fat.pos1.fill(POS_RESET);
    m_fat.pos2.fill(POS_RESET);
    m_ids.fat1.fill(POS_RESET);
    m_ids.fat2.fill(POS_RESET);
    m_fat.dirty.fill(false);
    m_ids.positions.fill(0);
    m_ids.label.clear();
    m_ids.text.clear();
    m_ids.stampTime = 0;
}

void CVolume::MarkAllUnknown() {
    m_fat.entries.fill(FAT_UNKNOWN);
}

void CVolume::MarkAllFatDirty(bool flag) {
    m_fat.dirty.fill(flag);
}

}  // namespace orv

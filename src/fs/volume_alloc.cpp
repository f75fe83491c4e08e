// File numbers, free runs, giving units to files and taking them back, space counts.
#include <algorithm>
#include <bitset>

#include "fs/volume.h"

namespace orv {

int CVolume::FreeUnitCount() const {
    return m_fat.Count(FAT_FREE);
}
std::int32_t CVolume::FreeBytes() const {
    return kUnitDataBytes * FreeUnitCount();
}
std::int32_t CVolume::BadBytes() const {
    return kUnitDataBytes * m_fat.Count(FAT_BAD);
}
std::int32_t CVolume::SystemBytes() const {
    return kUnitDataBytes * m_fat.Count(FAT_SYSTEM);
}

std::optional<int> CVolume::FindFreeFileNumber() const {
    std::bitset<FAT_MAX_FILE + 1> used;
    for (std::uint16_t e : m_fat.entries)
        if (IsFileNumber(e)) used.set(e);
    for (int n = 1; n <= FAT_MAX_FILE; ++n)
        if (!used.test(std::size_t(n))) return n;
    return std::nullopt;
}

std::optional<int> CVolume::FindFirstFreeUnit() const {
    for (int u = 0; u < kUnitCount; ++u)
        if (m_fat.entries[u] == FAT_FREE) return SectorOfUnit(u);
    return std::nullopt;
}

std::optional<UnitRun> CVolume::FindFreeRun(int wanted, int from) const {
    wanted = std::max(wanted, 1);
    int start = -1, length = 0;
    for (int u = std::max(UnitOfSector(from), 0); u < kUnitCount; ++u) {
        if (m_fat.entries[u] != FAT_FREE) {
            if (start >= 0) break;  // a gap ends the run
            continue;
        }
        if (start < 0) start = u;
        if (++length == wanted) break;
    }
    if (start < 0) return std::nullopt;
    return UnitRun{SectorOfUnit(start), length};
}

Result<std::optional<UnitRun>> CVolume::NextRun(int wanted, bool verify, int from) {
    std::optional<UnitRun> run = FindFreeRun(wanted, from);
    if (!verify) return run;
    std::array<std::uint8_t, kStagingUnits * kSectorSize> scratch;
    while (run) {
        run->count = std::min(run->count, kStagingUnits);
        const Status whole = m_device.ReadSectors(0, run->first, run->count, scratch.data());
        if (whole) return run;
        if (IsDriveFailure(whole.Error())) return whole;  // the units are not to blame
        int failed = 0;
        for (int i = 0; i < run->count; ++i) {
            const Status alone = ReadSector(run->first + i, scratch.data());
            if (alone) continue;
            if (IsDriveFailure(alone.Error())) return alone;
            MarkBad(run->first + i);
            ++failed;
        }
        if (failed == 0) {
            // Every sector reads alone but the run does not: take it unit by unit.
            run->count = 1;
            return run;
        }
        // Its bad units are out of the search now: look again, for no more than this run.
        run = FindFreeRun(run->count, from);
    }
    return run;
}

void CVolume::SetUnits(int firstSector, int fileNumber, int count) {
    for (int i = 0; i < count; ++i) {
        const int unit = UnitOfSector(firstSector + i);
        if (unit >= 0 && unit < kUnitCount) m_fat.Set(unit, std::uint16_t(fileNumber));
    }
}

void CVolume::MarkBad(int sector) {
    const int unit = UnitOfSector(sector);
    if (unit >= 0 && unit < kUnitCount) m_fat.Set(unit, FAT_BAD);
}

void CVolume::ReleaseFile(int fileNumber) {
    ReleaseFiles({fileNumber});
}

void CVolume::ReleaseFiles(const std::vector<int>& fileNumbers) {
    // A number read from a damaged header may be anything; only a file number owns units, and
    // bad or system units must never come free this way.
    std::bitset<FAT_MAX_FILE + 1> chosen;
    for (int n : fileNumbers)
        if (IsFileNumber(n)) chosen.set(std::size_t(n));
    if (chosen.none()) return;
    for (int u = 0; u < kUnitCount; ++u) {
        const int e = m_fat.entries[std::size_t(u)];
        const int owner = e > 3000 ? e - 3000 : e;
        if (IsFileNumber(owner) && chosen.test(std::size_t(owner))) m_fat.Set(u, FAT_FREE);
    }
}

Status CVolume::DeleteFile(int fileNumber, bool writeTable) {
    ReleaseFile(fileNumber);
    if (!writeTable) return {};
    const Result<int> moved = WriteFat();
    if (!moved) return moved.GetStatus();
    if (*moved > 0) return WriteIdSectors(nullptr, nullptr);
    return {};
}

int CVolume::CollectUnits(int fileNumber, std::vector<int>& sectors) const {
    int n = 0;
    for (int u = 0; u < kUnitCount; ++u) {
        if (m_fat.entries[u] == fileNumber) {
            sectors.push_back(SectorOfUnit(u));
            ++n;
        }
    }
    return n;
}

int CVolume::ListFileNumbers(std::vector<int>& numbers) const {
    std::bitset<FAT_MAX_FILE + 1> present;
    for (std::uint16_t e : m_fat.entries)
        if (IsFileNumber(e)) present.set(e);
    int n = 0;
    for (int f = 1; f <= FAT_MAX_FILE; ++f) {
        if (present.test(std::size_t(f))) {
            numbers.push_back(f);
            ++n;
        }
    }
    return n;
}

std::int32_t CVolume::ChainCapacity(int fileNumber) const {
    int n = 0;
    for (std::uint16_t e : m_fat.entries) n += e == fileNumber;
    return n > 0 ? BytesInUnits(n) : 0;
}

}  // namespace orv

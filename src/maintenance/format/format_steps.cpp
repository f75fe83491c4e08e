#include "maintenance/format/format_steps.h"

namespace orv {

namespace {

constexpr int kSectorsPerProgressStep = 34;  // the scan's bar ends at 2879 / 34 = 84
constexpr int kIdCount = 3;
constexpr int kSystemSectors = kIdCount + 2 * kFatSectorCount;  // 25

}  // namespace

Result<int> PrepareFormat(CVolume& volume, IWorkerDialog& dialog, bool quick) {
    return quick ? QuickClear(volume, dialog) : FullScan(volume, dialog);
}

int QuickClear(CVolume& volume, IWorkerDialog& dialog) {
    CFatTable& fat = volume.Fat();
    for (auto& entry : fat.entries)
        if (entry != FAT_BAD) entry = FAT_FREE;
    // A table sector that once moved into the data area stays there: its unit is no free unit.
    for (const FatPositions* table : {&fat.pos1, &fat.pos2})
        for (int pos : *table)
            if (IsDataSector(pos) && fat.entries[UnitOfSector(pos)] != FAT_BAD)
                fat.entries[UnitOfSector(pos)] = FAT_SYSTEM;
    volume.MarkAllFatDirty(true);
    dialog.SetProgress(0);
    return 0;
}

Result<int> FullScan(CVolume& volume, IWorkerDialog& dialog) {
    std::array<std::uint8_t, kSectorSize> buffer;
    if (!volume.ReadSector(kBootSector, buffer.data())) return FORMAT_NO_SECTOR0;
    dialog.SetProgress(0);

    std::array<std::uint16_t, kIdCount> ids{};
    FatPositions copy1{}, copy2{};
    CFatTable& fat = volume.Fat();
    int good = 0;
    int progress = 0;
    for (int s = kSystemAreaFirst; s < kSectorCount; ++s) {
        if (const Status read = volume.ReadSector(s, buffer.data()); read) {
            ++good;
            if (s > kSystemAreaLast && good <= kIdCount) return FORMAT_NO_ROOM;
            if (good <= kIdCount)
                ids[good - 1] = std::uint16_t(s);
            else if (good <= kIdCount + kFatSectorCount)
                copy1[good - kIdCount - 1] = std::uint16_t(s);
            else if (good <= kSystemSectors)
                copy2[good - kIdCount - kFatSectorCount - 1] = std::uint16_t(s);
            if (IsDataSector(s))
                fat.entries[UnitOfSector(s)] = good <= kSystemSectors ? FAT_SYSTEM : FAT_FREE;
        } else if (IsDriveFailure(read.Error())) {
            return read;  // not a bad sector: the diskette is gone
        } else if (IsDataSector(s)) {
            fat.entries[UnitOfSector(s)] = FAT_BAD;
        }
        if (s % kSectorsPerProgressStep == 0) dialog.SetProgress(++progress);
        if (dialog.m_nState == -1) return FORMAT_INTERRUPTED;
    }
    if (good <= kSystemSectors) return FORMAT_NO_ROOM;

    volume.Ids().positions = ids;
    volume.Ids().fat1 = fat.pos1 = copy1;
    volume.Ids().fat2 = fat.pos2 = copy2;
    volume.MarkAllFatDirty(true);
    return 0;
}

}  // namespace orv

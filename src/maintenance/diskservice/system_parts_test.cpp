#include "maintenance/diskservice/system_parts_test.h"

#include <memory>

#include "maintenance/diskservice/table_positions.h"

namespace orv {

int SystemPartsTest(CVolume& volume, IWorkerDialog& dialog) {
    const Result<bool> found = volume.FindIdSectors();
    if (dialog.m_nState == -1) return PARTS_INTERRUPTED;
    dialog.SetProgress(30);
    if (found == false) {
        std::array<std::uint8_t, kSectorSize> reserve;
        if (volume.ReadSector(kReserveIdSector, reserve.data()).Ok() &&
            volume.ParseIdRecord(reserve.data(), true))
            return PARTS_RESERVE_ONLY;
        return PARTS_NOT_FORMATTED;
    }
    if (!found) return PARTS_NO_SECTOR0;
    for (int pos : volume.Ids().positions)
        if (pos == 0) return PARTS_TOO_FEW_IDS;

    if (!volume.ReadFat(false)) return PARTS_FAT_UNREADABLE;
    if (dialog.m_nState == -1) return PARTS_INTERRUPTED;
    dialog.SetProgress(50);

    auto second = std::make_unique<FatArray>();
    auto first = std::make_unique<FatArray>();
    volume.ReadFatCopyRaw(*second, 2);
    dialog.SetProgress(70);
    if (dialog.m_nState == -1) return PARTS_INTERRUPTED;
    volume.ReadFatCopyRaw(*first, 1);
    dialog.SetProgress(90);
    if (dialog.m_nState == -1) return PARTS_INTERRUPTED;

    for (int i = 0; i < kUnitCount; ++i) {
        const std::uint16_t a = (*second)[i], b = (*first)[i];
        if (a == FAT_UNREADABLE || b == FAT_UNREADABLE) continue;
        if (a != b) return PARTS_COPIES_DIFFER;
    }
    // A position on a unit that holds file data is no copy of the table at all, even where the
    // other copy cannot be read to show the difference.
    if (!TablePositionsOnFileData(volume, *first, *second).empty()) return PARTS_COPIES_DIFFER;
    dialog.SetProgress(95);
    return PARTS_SOUND;
}

}  // namespace orv

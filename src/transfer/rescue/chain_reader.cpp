#include "transfer/rescue/chain_reader.h"

#include <array>
#include <vector>

namespace orv {

int ReadChain(CVolume& volume, int fileNumber, const ChainPieceFn& piece) {
    std::vector<int> units;
    const int n = volume.CollectUnits(fileNumber, units);
    if (n < 0) return -1;
    std::array<std::uint8_t, kSectorSize> sector;
    for (std::uint32_t p = 0; p < std::uint32_t(n); ++p) {
        const bool ok = volume.ReadSector(units[p], sector.data()) == 0;
        if (!ok && IsDriveFailure(volume.LastError())) return -2;
        if (!piece(p, ok ? sector.data() + ChainPieceHeader(p) : nullptr)) return -2;
    }
    return n;
}

}  // namespace orv

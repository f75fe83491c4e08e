#include "fs/chain_reader.h"

#include <array>

namespace orv {

bool ChainTag::Matches(const std::uint8_t* unit) const {
    if (OwnerTag(unit) != number) return false;
    // Compared as the header's text: what lies behind the field's NUL was never the tag.
    return !knowsExtension ||
           FieldText(unit + rec::unit::kExtension, rec::header::kExtensionWidth) == extension;
}

CChainReader::CChainReader(CVolume& volume, const ChainTag& tag) : m_volume(volume), m_tag(tag) {
    m_volume.CollectUnits(tag.number, m_sectors);
}

UnitRead CChainReader::Read(std::uint32_t position, std::uint8_t* sector) {
    if (!m_volume.ReadSector(m_sectors[position], sector)) return UnitRead::Unreadable;
    return m_tag.Matches(sector) ? UnitRead::Own : UnitRead::NotOwn;
}

int ReadChain(CVolume& volume, const ChainTag& tag, const ChainPieceFn& piece) {
    CChainReader chain(volume, tag);
    const int n = chain.Count();
    if (n < 0) return -1;
    std::array<std::uint8_t, kSectorSize> sector;
    for (std::uint32_t p = 0; p < std::uint32_t(n); ++p) {
        const UnitRead how = chain.Read(p, sector.data());
        if (how == UnitRead::Unreadable && chain.DriveFailed()) return -2;
        const std::uint8_t* data =
            how == UnitRead::Own ? sector.data() + ChainPieceHeader(p) : nullptr;
        if (!piece(p, data, how)) return -2;
    }
    return n;
}

}  // namespace orv

#include "fs/chain_reader.h"

#include <vector>

#include "disk/geometry.h"

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

ChainUnit CChainReader::Read(std::uint32_t position, std::uint8_t* sector) {
    if (const Status read = m_volume.ReadSector(m_sectors[position], sector); !read)
        return {UnitRead::Unreadable, read.Error()};
    return {Judge(sector)};
}

int CChainReader::RunLength(std::uint32_t position, int max) const {
    const std::size_t n = m_sectors.size();
    int run = 1;
    while (run < max && position + run < n &&
           m_sectors[position + run] == m_sectors[position] + run)
        ++run;
    return run;
}

bool CChainReader::ReadRun(std::uint32_t position, int run, std::uint8_t* sectors) {
    return bool(m_volume.ReadSectorRun(m_sectors[position], run, sectors));
}

Result<int> ReadChain(CVolume& volume, const ChainTag& tag, const ChainPieceFn& piece) {
    CChainReader chain(volume, tag);
    const int n = chain.Count();
    if (n < 0) return -1;
    // A file written on a good diskette lies in runs of units that follow each other: a track's
    // worth is asked for at once. A run that does not read whole is read unit by unit, so that
    // exactly the units that fail are reported.
    constexpr int kRun = kSectorsPerTrack;
    std::vector<std::uint8_t> sectors(std::size_t(kRun) * kSectorSize);
    for (std::uint32_t p = 0; p < std::uint32_t(n);) {
        const int run = chain.RunLength(p, kRun);
        const bool whole = run > 1 && chain.ReadRun(p, run, sectors.data());
        for (int i = 0; i < run; ++i, ++p) {
            std::uint8_t* sector = sectors.data() + std::size_t(i) * kSectorSize;
            const ChainUnit unit = whole ? ChainUnit{chain.Judge(sector)} : chain.Read(p, sector);
            if (unit.DriveFailed()) return Status::Failure(unit.cause);
            const std::uint8_t* data =
                unit.how == UnitRead::Own ? sector + ChainPieceHeader(p) : nullptr;
            if (!piece(p, data, unit.how)) return -2;
        }
    }
    return n;
}

}  // namespace orv

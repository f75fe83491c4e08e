// Reading the units of one file in chain order, each checked against the owner tag that every
// unit of the file carries. The table only says which units a file owns; what a unit holds is
// the file's data only when its first bytes say so. An image made by another tool holds zeros
// or a reader's filler text where a sector never read, and a table that went wrong may name
// another file's unit: neither may ever pass for the file's bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fs/file_record.h"
#include "fs/volume.h"

namespace orv {

// The tag that the units of one file (one part, on a file spread over several diskettes) carry:
// its number and the extension field of its header, which holds the part number on further
// parts.
struct ChainTag {
    std::uint16_t number = 0;
    std::string extension;
    bool knowsExtension = true;  // false: only the number is known (the header never read)

    static ChainTag Of(const FileRecord& record) {
        return {record.fileNumber, record.extension, true};
    }
    static ChainTag NumberOnly(int number) { return {std::uint16_t(number), {}, false}; }
    // Whether a unit (the header unit or a further one: both begin with the number and the
    // extension field) carries this tag.
    bool Matches(const std::uint8_t* unit) const;
};

// What one chain position gives.
enum class UnitRead {
    Own,         // the unit read and carries the file's tag
    Unreadable,  // the sector did not read
    NotOwn,      // it read, but holds something else: a hole, filler, another file's unit
};

// One chain position read: how, and for Unreadable, why.
struct ChainUnit {
    UnitRead how = UnitRead::Own;
    IoError cause = IoError::None;
    // The drive failed as a whole (nothing more will read), not just this unit's sector.
    bool DriveFailed() const { return how == UnitRead::Unreadable && IsDriveFailure(cause); }
};

class CChainReader {
public:
    // The file's units as the table gives them now, in ascending order.
    CChainReader(CVolume& volume, const ChainTag& tag);

    // The units of the chain, or -1 when the table gives the file none.
    int Count() const { return m_sectors.empty() ? -1 : int(m_sectors.size()); }
    const std::vector<int>& Sectors() const { return m_sectors; }
    // Reads chain position p (below Count()) into sector, kSectorSize bytes; what it holds is
    // the file's only for Own.
    ChainUnit Read(std::uint32_t position, std::uint8_t* sector);
    // How many positions from p on, at most max, have units that follow each other on the
    // diskette; ReadRun reads them in one request into sectors (kSectorSize bytes each). One
    // unit that does not read fails the request; each is then to be read on its own.
    int RunLength(std::uint32_t position, int max) const;
    bool ReadRun(std::uint32_t position, int run, std::uint8_t* sectors);
    // Whether the unit read into sector is the file's own.
    UnitRead Judge(const std::uint8_t* sector) const {
        return m_tag.Matches(sector) ? UnitRead::Own : UnitRead::NotOwn;
    }

private:
    CVolume& m_volume;
    ChainTag m_tag;
    std::vector<int> m_sectors;
};

// Called for every chain position in order (0 is the header unit): piece holds the position's
// ChainPieceCapacity bytes of the file, or is null where the unit is unreadable or not the
// file's (how tells which). Returning false stops the reading.
using ChainPieceFn =
    std::function<bool(std::uint32_t position, const std::uint8_t* piece, UnitRead how)>;

// The number of units of the file, -1 when it has none, -2 when piece asked to stop; a failure
// with the drive's cause when the drive failed as a whole (the positions after were not read).
Result<int> ReadChain(CVolume& volume, const ChainTag& tag, const ChainPieceFn& piece);

}  // namespace orv

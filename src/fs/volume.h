// The system area of one diskette in memory (identification sectors and allocation table) and
// the file-level operations built on it. A volume is used by one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk/result.h"
#include "disk/sector_device.h"
#include "fs/fat_table.h"
#include "fs/file_record.h"
#include "fs/id_sectors.h"
#include "fs/layout.h"

namespace orv {

// The write loop stages, and NextRun tests, at most a cylinder of units at once: the device takes
// requests of a whole cylinder, which a drive passes in two turns.
constexpr int kStagingUnits = kSectorsPerTrack * kHeads;
using StagingBuffer = std::array<std::uint8_t, kStagingUnits * kSectorSize>;
using FatArray = std::array<std::uint16_t, kUnitCount>;

// Units that follow each other: the sector of the first, and how many.
struct UnitRun {
    int first = 0;
    int count = 0;
    friend bool operator==(const UnitRun&, const UnitRun&) = default;
};

// How a listing of the files ended.
enum class ListEnd {
    Listed,          // every file that the table names
    NoFile,          // the table names no file
    SomeUnreadable,  // some header units did not read; the others are listed
};
struct [[nodiscard]] FileListing {
    ListEnd end = ListEnd::NoFile;
    // Why the last header that did not read failed; a drive failure stopped the listing there.
    IoError cause = IoError::None;
    bool DriveFailed() const { return IsDriveFailure(cause); }
};

// What a volume knows of its diskette, to be put back when an operation fails.
struct VolumeState {
    CIdSectors ids;
    CFatTable fat;
};

class CVolume {
public:
    explicit CVolume(CDrive* drive = nullptr) : m_device(drive) {}
    CVolume(const CVolume&) = delete;
    CVolume& operator=(const CVolume&) = delete;

    CSectorDevice& Device() { return m_device; }
    CIdSectors& Ids() { return m_ids; }
    const CIdSectors& Ids() const { return m_ids; }
    CFatTable& Fat() { return m_fat; }
    const CFatTable& Fat() const { return m_fat; }
    DisketteIdentity Identity() const { return {m_ids.label, m_ids.stampTime}; }

    // --- System area ---------------------------------------------------------------------
    Status OpenDevice() { return m_device.OpenDevice(); }
    void CloseDevice() { m_device.CloseDevice(); }
    // Whether sector 0 carries the signature; a failure when it does not read.
    Result<bool> CheckSector0();
    // Rewrites sector 0; a failure unless it reads back with the signature.
    Status RepairSector0();
    // Whether ID sectors were found (their newest record is taken then); a failure when sector
    // 0 does not read or the drive fails as a whole.
    Result<bool> FindIdSectors();
    bool ParseIdRecord(const std::uint8_t* sector, bool takeFields);  // an ID record or not
    // A failure when some table sector is unusable in both copies (fill: its entries become
    // FAT_UNKNOWN and the rest loads; otherwise the table must not be written).
    Status ReadFat(bool fill);
    // The table sectors whose new position the ID sectors do not record yet (0..11); a failure
    // when a table sector could be written nowhere.
    Result<int> WriteFat();
    // Null leaves the field as it is. A failure when no ID sector could be written.
    Status WriteIdSectors(const std::string* label, const std::string* text);
    // A failure (Unreadable) when nothing in 1..63 read for an ID sector to go to.
    Status PrepareNewSystemArea();
    // Whether the diskette in the drive carries this one's label and stamp; a failure when no
    // ID sector reads.
    Result<bool> SameDiskette();
    // Whether the diskette's table holds what the table in memory holds, wherever memory has
    // not changed it since: two diskettes with the same label and stamp (a copy of a diskette)
    // differ here once either of them has been written.
    bool TableMatchesDiskette();
    void ResetVolume();

    // The ID state and the table as they are now, and putting them back.
    VolumeState State() const { return {m_ids, m_fat}; }
    void Restore(const VolumeState& state) {
        m_ids = state.ids;
        m_fat = state.fat;
    }
    // Successful writes of system records (table, ID records, sector 0) so far: when an
    // operation fails after one, the diskette's system area may no longer be what it was.
    long SystemWrites() const { return m_systemWrites; }
    // Why the last sector request failed (None after a success): only for a caller that cannot
    // have the request's own result (see CSectorDevice::LastError).
    IoError LastError() const { return m_device.LastError(); }

    // Reads one copy of the table as it is on the diskette; unreadable table sectors give
    // FAT_UNREADABLE entries. copy is 1 or 2.
    void ReadFatCopyRaw(FatArray& entries, int copy);
    // The table sectors that read and hold valid values in both copies, yet differ: a table
    // write was cut short (WriteFat finishes copy 1 before it begins copy 2). Appended to
    // sectors when given; their count.
    int DifferingFatSectors(std::vector<int>* sectors = nullptr);
    // Settles the table in memory when the two copies on the diskette differ (a table write cut
    // short), from the owner tags of the units: a file whose entries differ keeps the units
    // that carry its tag when they are exactly what its size needs; otherwise its units are set
    // aside as FAT_UNKNOWN (neither listed nor free) and it goes to unsettled with what its
    // header says. Nothing is written. The number of table sectors whose copies differ.
    int SettleDifferingCopies(std::vector<FileRecord>* unsettled);
    void MarkAllUnknown();
    void MarkAllFatDirty(bool flag);

    // --- Allocation ----------------------------------------------------------------------
    int FreeUnitCount() const;
    std::int32_t FreeBytes() const;
    std::int32_t BadBytes() const;
    std::int32_t SystemBytes() const;
    std::optional<int> FindFreeFileNumber() const;  // the lowest unused 1..2816
    std::optional<int> FindFirstFreeUnit() const;   // the sector of the lowest free unit
    // The first free run, of at most `wanted` units (at least one). A caller that knows no
    // unit below the sector `from` is free (the write loop, which only ever takes units) may
    // start there.
    std::optional<UnitRun> FindFreeRun(int wanted, int from = kFirstDataSector) const;
    // As FindFreeRun; with verify only a run that reads back whole (the units that do not read
    // become bad on the way). A failure when the drive fails as a whole while testing: the
    // units are not to blame then.
    Result<std::optional<UnitRun>> NextRun(int wanted, bool verify, int from = kFirstDataSector);
    void SetUnits(int firstSector, int fileNumber, int count);
    void MarkBad(int sector);
    void ReleaseFile(int fileNumber);
    void ReleaseFiles(const std::vector<int>& fileNumbers);  // one pass over the table
    // Releases the file's units, and with writeTable writes the table (and the ID sectors when
    // a table sector moved); a failure when that write failed.
    Status DeleteFile(int fileNumber, bool writeTable);
    // Append the file's units (their sectors, in order) and the file numbers in use; how many
    // were appended, 0 when there are none.
    int CollectUnits(int fileNumber, std::vector<int>& sectors) const;
    int ListFileNumbers(std::vector<int>& numbers) const;
    // The bytes the file's units can hold; 0 when it owns none.
    std::int32_t ChainCapacity(int fileNumber) const;

    // --- File entries --------------------------------------------------------------------
    // The file's header; a failure when it does not read or is not this file's (Unreadable),
    // or, with no cause, when the number names no file in the table.
    Result<FileRecord> ReadEntry(int fileNumber);
    // Appends the record of every file whose header reads.
    FileListing ListFiles(std::vector<FileRecord>& records);
    static void BuildHeader(const FileRecord& record, std::uint8_t* unit);
    static void BuildUnitHeader(const FileRecord& record, std::uint8_t* unit);

    // Single sectors through the volume's device.
    // count sectors from first on in one request (one unreadable fails them all).
    Status ReadSectorRun(int first, int count, std::uint8_t* buffer) {
        return m_device.ReadSectors(0, first, count, buffer);
    }
    Status ReadSector(int sector, std::uint8_t* buffer) {
        return m_device.ReadSectors(0, sector, 1, buffer);
    }
    Status WriteSector(int sector, const std::uint8_t* buffer) {
        return m_device.WriteSectors(0, sector, 1, buffer);
    }
    // A read that no buffer serves, for the records that say which diskette this is.
    Status ReadSystemSector(int sector, std::uint8_t* buffer) {
        return m_device.ReadSectorsDirect(0, sector, 1, buffer);
    }

private:
    // The eleven table sectors of one copy as read from the diskette.
    struct CopySectors {
        std::array<std::array<std::uint8_t, kSectorSize>, kFatSectorCount> data{};
        std::array<bool, kFatSectorCount> read{};  // which sectors read
        bool driveFailed = false;                  // the drive failed as a whole; not asked more
        IoError cause = IoError::None;             // why, when it did
    };
    // Reads the wanted sectors of a copy at the given positions, side by side positions in one
    // request each (a run that fails is read sector by sector), so that a real drive spends a
    // turn on a copy rather than one per sector. Reads past the drive's buffer.
    void ReadCopySectors(const FatPositions& positions, CopySectors& out,
                         const std::array<bool, kFatSectorCount>& wanted);
    // Writes the pending table sectors of one copy, side by side positions in one request and
    // read back in one; whatever fails goes sector by sector. A failure when a sector could be
    // written nowhere.
    Status WriteFatCopy(FatPositions& positions, const std::array<bool, kFatSectorCount>& pending);
    // Writes table sector k of one copy, moving it when its place refuses the write.
    Status WriteFatSector(int k, FatPositions& positions);
    void DropImpossibleFatPositions();
    // Reads the header of file `fileNumber`, which sits in `headerUnit`, its lowest unit.
    Result<FileRecord> ReadEntryAt(int fileNumber, int headerUnit);
    Status RelocateFatSector(int k, FatPositions& positions, const std::uint8_t* image);
    // Writes one sector and, in the system area, reads it back: a failure, with the write's or
    // the read's cause, unless it holds the image (Unwritable when it reads back otherwise).
    Status WriteVerified(int sector, const std::uint8_t* image);

    // Every sector written so far reaches the diskette before any written later (the medium's
    // cache may reorder writes between barriers).
    Status Barrier() { return m_device.Flush(0); }

    // A write of a system record; counted when it lands.
    Status WriteSystemSector(int sector, const std::uint8_t* buffer) {
        const Status written = WriteSector(sector, buffer);
        if (written) ++m_systemWrites;
        return written;
    }

    CSectorDevice m_device;
    CIdSectors m_ids;
    CFatTable m_fat;
    long m_systemWrites = 0;
};

// The table sectors that read and hold valid values in both copies (as ReadFatCopyRaw gives
// them), yet differ; appended to sectors when given. Their count.
int DifferingSectors(const FatArray& copy1, const FatArray& copy2, std::vector<int>* sectors);

}  // namespace orv

// Drive A: with an in-memory diskette in it, and helpers that lay down a system area and files
// the way the program does, so that tests start from a realistic diskette.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disk/drive.h"
#include "disk/memory_medium.h"
#include "fs/file_record.h"
#include "fs/volume.h"

namespace orv::tests {

using SectorImage = std::array<std::uint8_t, kSectorSize>;

struct WriteRequest {
    int first;
    int count;
    bool ok;
};

// Passes requests on to another medium and keeps a log of every write request. It can also
// play a drive whose multi-sector reads fail although every sector reads alone.
class RecordingMedium final : public IMedium {
public:
    explicit RecordingMedium(std::shared_ptr<IMedium> inner) : m_inner(std::move(inner)) {}
    Status Read(int first, int count, std::uint8_t* buffer) override;
    Status Write(int first, int count, const std::uint8_t* buffer) override;
    std::string Describe() const override { return m_inner->Describe(); }
    Status Flush() override { return m_inner->Flush(); }

    const std::vector<WriteRequest>& Writes() const { return m_writes; }
    void ClearWrites() { m_writes.clear(); }
    void SetFailMultiSectorReads(bool on) { m_bFailMultiSectorReads = on; }
    // Lets n more write requests through, then fails every write until called with n < 0.
    void FailWritesAfter(long n) { m_writesLeft = n; }

private:
    std::shared_ptr<IMedium> m_inner;
    std::vector<WriteRequest> m_writes;
    bool m_bFailMultiSectorReads = false;
    long m_writesLeft = -1;
};

class MemoryDisk {
public:
    MemoryDisk();
    MemoryDisk(const MemoryDisk&) = delete;
    MemoryDisk& operator=(const MemoryDisk&) = delete;

    CDrive& Drive() { return m_drive; }
    MemoryMedium& Medium() { return *m_medium; }
    FaultMap& Faults() { return m_medium->Faults(); }
    RecordingMedium& Recorder() { return *m_recorder; }

    // Every sector that a successful write request covered since the last ClearWrites.
    std::vector<int> WrittenSectors() const;
    void ClearWrites() { m_recorder->ClearWrites(); }

    // Raw access that bypasses the fault model, as a look at the platter would.
    SectorImage Raw(int sector) const;
    void PutRaw(int sector, const SectorImage& image);
    std::uint16_t RawU16(int sector, int offset) const;

    // Writes a file's header unit and further units into the given sectors (header in the
    // lowest) and gives those units to the file in the volume's table.
    void PutFile(CVolume& volume, const FileRecord& record, std::vector<int> sectors,
                 const std::vector<std::uint8_t>& data);

private:
    std::shared_ptr<MemoryMedium> m_medium;
    std::shared_ptr<RecordingMedium> m_recorder;
    CDrive m_drive;
};

// A quick format of a blank diskette: boot sector, the default system area, every unit free,
// both table copies and the ID sectors written, and the table read back. False when a step
// fails.
bool QuickFormat(CVolume& volume, const std::string& label);

// Opens a diskette as the program does before listing it: sector 0, ID sectors, the table.
// False when a step fails.
bool OpenVolume(CVolume& volume);

// Deterministic bytes for file data.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed);

FileRecord MakeRecord(int fileNumber, const std::string& name, const std::string& extension,
                      std::uint32_t size);

}  // namespace orv::tests

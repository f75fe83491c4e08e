#include "maintenance_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/host_file.h"

namespace orv::tests {

PlacedFile WriteFileToVolume(CVolume& volume, const std::string& name, const std::string& extension,
                             std::vector<std::uint8_t> data) {
    PlacedFile file;
    file.data = std::move(data);
    FileRecord& r = file.record;
    r.fileNumber = std::uint16_t(volume.FindFreeFileNumber().value_or(0));
    r.name = name;
    r.extension = extension;
    r.size = std::uint32_t(file.data.size());
    r.modificationTime = kTestNow - 86400 * r.fileNumber;
    r.attributes = ATTR_ARCHIVE;

    const int units = UnitsForBytes(std::int32_t(file.data.size()));
    std::size_t at = 0;
    for (int i = 0; i < units; ++i) {
        const std::optional<int> free = volume.FindFirstFreeUnit();
        if (!free) break;
        const int sector = *free;
        SectorImage unit{};
        std::size_t offset = kUnitHeaderSize, room = kUnitDataBytes;
        if (i == 0) {
            CVolume::BuildHeader(r, unit.data());
            offset = kHeaderSize;
            room = kHeaderDataBytes;
        } else {
            CVolume::BuildUnitHeader(r, unit.data());
        }
        const std::size_t n = std::min(room, file.data.size() - at);
        if (n > 0) std::memcpy(unit.data() + offset, file.data.data() + at, n);
        at += n;
        (void)volume.WriteSector(sector, unit.data());
        volume.SetUnits(sector, r.fileNumber, 1);
        file.sectors.push_back(sector);
    }
    return file;
}

bool ReadFileData(CVolume& volume, int fileNumber, std::vector<std::uint8_t>& data) {
    data.clear();
    std::vector<int> sectors;
    if (volume.CollectUnits(fileNumber, sectors) == 0) return false;
    const Result<FileRecord> entry = volume.ReadEntry(fileNumber);
    if (!entry) return false;
    const FileRecord& record = *entry;
    if (BytesInUnits(std::int32_t(sectors.size())) < std::int32_t(record.size)) return false;
    SectorImage unit;
    for (std::size_t i = 0; i < sectors.size() && data.size() < record.size; ++i) {
        if (!volume.ReadSector(sectors[i], unit.data())) return false;
        const std::size_t offset = i == 0 ? kHeaderSize : kUnitHeaderSize;
        const std::size_t n = std::min(kSectorSize - offset, record.size - data.size());
        data.insert(data.end(), unit.begin() + long(offset), unit.begin() + long(offset + n));
    }
    return true;
}

int RunFormat(CDrive& drive, const FormatOptions& options, ScriptedUser& user,
              RecordingWorkerDialog& dialog) {
    FormatOptions copy = options;
    return FormatWorker(&drive, dialog, user, copy);
}

void FormatQuick(MemoryDisk& disk) {
    ScriptedUser user;
    RecordingWorkerDialog dialog;
    FormatOptions options;
    options.label = "TEST";
    ASSERT_EQ(RunFormat(disk.Drive(), options, user, dialog), 0)
        << ::testing::PrintToString(user.Texts());
}

Status FlakyMedium::Read(int first, int count, std::uint8_t* buffer) {
    for (int s = first; s < first + count; ++s) {
        if (healOnWrite.count(s)) return Status::Failure(IoError::None);
        if (relapse.count(s)) {
            if (!m_fresh.count(s)) return Status::Failure(IoError::None);
            m_fresh.erase(s);
        }
    }
    return m_inner.Read(first, count, buffer);
}

Status FlakyMedium::Write(int first, int count, const std::uint8_t* buffer) {
    if (const Status written = m_inner.Write(first, count, buffer); !written) return written;
    for (int s = first; s < first + count; ++s) {
        healOnWrite.erase(s);
        if (relapse.count(s)) m_fresh.insert(s);
    }
    return {};
}

}  // namespace orv::tests

#include "support/memory_disk.h"

#include <algorithm>
#include <cstring>

namespace orv::tests {

Status RecordingMedium::Read(int first, int count, std::uint8_t* buffer) {
    // The recorder's own refusals name no cause: the drive takes them for the sectors'.
    if (m_bFailMultiSectorReads && count > 1) return Status::Failure(IoError::None);
    return m_inner->Read(first, count, buffer);
}

Status RecordingMedium::Write(int first, int count, const std::uint8_t* buffer) {
    const bool refused = m_writesLeft == 0;
    if (m_writesLeft > 0) --m_writesLeft;
    const Status written =
        refused ? Status::Failure(IoError::None) : m_inner->Write(first, count, buffer);
    m_writes.push_back({first, count, written.Ok()});
    return written;
}

MemoryDisk::MemoryDisk()
    : m_medium(std::make_shared<MemoryMedium>()),
      m_recorder(std::make_shared<RecordingMedium>(m_medium)) {
    m_drive.InsertMedium(m_recorder, "memory");
}

std::vector<int> MemoryDisk::WrittenSectors() const {
    std::vector<int> sectors;
    for (const WriteRequest& w : m_recorder->Writes())
        if (w.ok)
            for (int s = w.first; s < w.first + w.count; ++s) sectors.push_back(s);
    std::sort(sectors.begin(), sectors.end());
    sectors.erase(std::unique(sectors.begin(), sectors.end()), sectors.end());
    return sectors;
}

SectorImage MemoryDisk::Raw(int sector) const {
    SectorImage image;
    const auto& bytes = m_medium->Bytes();
    std::memcpy(image.data(), bytes.data() + std::size_t(sector) * kSectorSize, kSectorSize);
    return image;
}

void MemoryDisk::PutRaw(int sector, const SectorImage& image) {
    std::memcpy(m_medium->SectorData(sector), image.data(), kSectorSize);
}

std::uint16_t MemoryDisk::RawU16(int sector, int offset) const {
    return GetU16(Raw(sector).data() + offset);
}

void MemoryDisk::PutFile(CVolume& volume, const FileRecord& record, std::vector<int> sectors,
                         const std::vector<std::uint8_t>& data) {
    std::sort(sectors.begin(), sectors.end());
    std::size_t at = 0;
    for (std::size_t i = 0; i < sectors.size(); ++i) {
        SectorImage unit{};
        std::size_t offset = kUnitHeaderSize, room = kUnitDataBytes;
        if (i == 0) {
            CVolume::BuildHeader(record, unit.data());
            offset = kHeaderSize;
            room = kHeaderDataBytes;
        } else {
            CVolume::BuildUnitHeader(record, unit.data());
        }
        const std::size_t n = std::min(room, data.size() - std::min(at, data.size()));
        if (n > 0) std::memcpy(unit.data() + offset, data.data() + at, n);
        at += n;
        PutRaw(sectors[i], unit);
        volume.SetUnits(sectors[i], record.fileNumber, 1);
    }
}

bool QuickFormat(CVolume& volume, const std::string& label) {
    if (!volume.OpenDevice()) return false;
    if (volume.FindIdSectors() != false) return false;  // only blank diskettes
    if (volume.CheckSector0() != true && !volume.RepairSector0()) return false;
    if (!volume.PrepareNewSystemArea()) return false;
    volume.MarkAllFatDirty(true);
    if (!volume.WriteFat()) return false;
    if (!volume.WriteIdSectors(&label, nullptr)) return false;
    return volume.ReadFat(false).Ok();
}

bool OpenVolume(CVolume& volume) {
    return volume.OpenDevice().Ok() && volume.CheckSector0() == true &&
           volume.FindIdSectors() == true && volume.ReadFat(false).Ok();
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = std::uint8_t(x >> 16);
    }
    return bytes;
}

FileRecord MakeRecord(int fileNumber, const std::string& name, const std::string& extension,
                      std::uint32_t size) {
    FileRecord record;
    record.fileNumber = std::uint16_t(fileNumber);
    record.name = name;
    record.extension = extension;
    record.size = size;
    record.modificationTime = 1'600'000'000u + std::uint32_t(fileNumber);
    record.attributes = 0x20;
    return record;
}

}  // namespace orv::tests

// File entries: the header unit of every file, listing, and staging a host file's data.
#include <cstring>

#include "fs/volume.h"

namespace orv {

namespace {
namespace f = rec::header;
}  // namespace

Result<FileRecord> CVolume::ReadEntry(int fileNumber) {
    // No sector is asked for a number that names no file.
    if (!IsFileNumber(fileNumber)) return Status::Failure(IoError::None);
    // A file's header is its lowest unit.
    for (int u = 0; u < kUnitCount; ++u)
        if (m_fat.entries[std::size_t(u)] == fileNumber) return ReadEntryAt(fileNumber, u);
    return Status::Failure(IoError::None);
}

Result<FileRecord> CVolume::ReadEntryAt(int fileNumber, int headerUnit) {
    std::array<std::uint8_t, kSectorSize> s;
    if (const Status read = ReadSector(SectorOfUnit(headerUnit), s.data()); !read) return read;
    // A header unit carries its file's number. One that carries another (overwritten by a
    // format cut short, or by another file while the table was wrong) holds no header of this
    // file: its name and size would be whatever bytes lie there, so it counts as a header that
    // does not read, and Disk service sorts the units out by their tags.
    if (OwnerTag(s.data()) != fileNumber) return Status::Failure(IoError::Unreadable);
    FileRecord record;
    record.fileNumber = std::uint16_t(fileNumber);
    record.extension = FieldText(s.data() + f::kExtension, kExtensionWidth);
    record.partNumber = s[f::kPart];
    record.name = FieldText(s.data() + f::kName, kNameWidth);
    record.size = GetU32(s.data() + f::kSize);
    record.modificationTime = GetU32(s.data() + f::kTime);
    record.attributes = s[f::kAttributes];
    return record;
}

FileListing CVolume::ListFiles(std::vector<FileRecord>& records) {
    // One pass finds every file's header unit, however many files the table names.
    std::vector<int> headerUnit(std::size_t(FAT_MAX_FILE) + 1, -1);
    for (int u = kUnitCount - 1; u >= 0; --u) {
        const std::uint16_t e = m_fat.entries[std::size_t(u)];
        if (IsFileNumber(e)) headerUnit[e] = u;
    }
    int named = 0, listed = 0;
    FileListing listing;
    for (int number = 1; number <= FAT_MAX_FILE; ++number) {
        if (headerUnit[std::size_t(number)] < 0) continue;
        ++named;
        const Result<FileRecord> entry = ReadEntryAt(number, headerUnit[std::size_t(number)]);
        if (!entry) {
            listing.end = ListEnd::SomeUnreadable;
            listing.cause = entry.Error();
            if (listing.DriveFailed()) return listing;  // the rest would fail the same way
            continue;
        }
        records.push_back(*entry);
        ++listed;
    }
    if (named > 0 && listed == named) listing.end = ListEnd::Listed;
    return listing;
}

void CVolume::BuildHeader(const FileRecord& r, std::uint8_t* unit) {
    std::memset(unit, 0, kHeaderSize);
    PutU16(unit + f::kNumber, r.fileNumber);
    PutFieldText(unit + f::kExtension, kExtensionWidth, r.extension);
    unit[f::kPart] = r.partNumber;
    PutFieldText(unit + f::kName, kNameWidth, r.name);
    PutU32(unit + f::kSize, r.size);
    PutU32(unit + f::kTime, r.modificationTime);
    unit[f::kAttributes] = r.attributes;
}

void CVolume::BuildUnitHeader(const FileRecord& r, std::uint8_t* unit) {
    PutU16(unit + f::kNumber, r.fileNumber);
    PutFieldText(unit + f::kExtension, kExtensionWidth, r.extension);
}

}  // namespace orv

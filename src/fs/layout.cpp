#include "fs/layout.h"

#include <cstring>

namespace orv {

std::string FieldText(const std::uint8_t* field, std::size_t width) {
    std::size_t n = 0;
    while (n < width && field[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(field), n);
}

void PutFieldText(std::uint8_t* field, std::size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

void BuildBootRecord(std::uint8_t* s) {
    namespace f = rec::boot;
    std::memset(s, 0, kSectorSize);
    s[f::kJump] = 0xEB;
    s[f::kJump + 1] = 0x3E;
    s[f::kJump + 2] = 0x90;
    std::memcpy(s + f::kOemName, "HLVRNIHC", 8);
    PutU16(s + f::kBytesPerSector, kSectorSize);
    s[f::kSectorsPerCluster] = 1;
    PutU16(s + f::kReservedSectors, 1);
    s[f::kFatCount] = 2;
    PutU16(s + f::kRootEntries, 224);
    PutU16(s + f::kTotalSectors, kSectorCount);
    s[f::kMediaDescriptor] = 0xF0;
    PutU16(s + f::kSectorsPerFat, 9);
    PutU16(s + f::kSectorsPerTrack, kSectorsPerTrack);
    PutU16(s + f::kHeads, kHeads);
    s[f::kExtendedSignature] = 0x29;
    const std::uint8_t volumeId[] = {0x51, 0x3C, 0x03, 0x1A};
    std::memcpy(s + f::kVolumeId, volumeId, sizeof volumeId);
    std::memcpy(s + f::kVolumeLabel, "HALVORN    ", 11);
    std::memcpy(s + f::kFileSystemType, "FAT12   ", 8);
    s[f::kTrailer] = 0xF1;
    s[f::kTrailer + 1] = 0x7D;
}

bool BootHasSignature(const std::uint8_t* sector) {
    return std::memcmp(sector + rec::boot::kOemName, kSignature, kSignatureLength) == 0;
}

bool IdHasSignature(const std::uint8_t* sector) {
    return std::memcmp(sector + rec::id::kSignature, kSignature, kSignatureLength) == 0;
}

void BuildIdRecord(const IdRecord& r, std::uint8_t* s) {
    namespace f = rec::id;
    std::memset(s, 0, kSectorSize);
    std::memcpy(s + f::kSignature, kSignature, kSignatureLength);
    PutU16(s + f::kFlag, r.flag ? 1 : 0);
    PutFieldText(s + f::kLabel, kLabelWidth, r.label);
    PutFieldText(s + f::kText, kTextWidth, r.text);
    PutU32(s + f::kStamp, r.stampTime);
    for (int k = 0; k < kFatSectorCount; ++k) {
        PutU16(s + f::kFat1 + 2 * k, r.fat1[k]);
        PutU16(s + f::kFat2 + 2 * k, r.fat2[k]);
    }
}

bool ParseIdRecordBytes(const std::uint8_t* s, IdRecord& r) {
    namespace f = rec::id;
    if (!IdHasSignature(s)) return false;
    r.flag = GetU16(s + f::kFlag) == 1;
    r.label = FieldText(s + f::kLabel, kLabelWidth);
    r.text = FieldText(s + f::kText, kTextWidth);
    r.stampTime = GetU32(s + f::kStamp);
    for (int k = 0; k < kFatSectorCount; ++k) {
        r.fat1[k] = GetU16(s + f::kFat1 + 2 * k);
        r.fat2[k] = GetU16(s + f::kFat2 + 2 * k);
    }
    return true;
}

bool IsValidFatValue(std::uint16_t v) {
    return v <= FAT_MAX_FILE || (v >= FAT_TAG_FIRST && v <= FAT_TAG_LAST) || v == FAT_SYSTEM ||
           v == FAT_BAD;
}

void EncodeFatSector(const std::uint16_t* entries, std::uint8_t* sector) {
    for (int i = 0; i < kEntriesPerFatSector; ++i)
        PutU16(sector + rec::fat::kEntryWidth * i, entries[i]);
}

bool DecodeFatSector(const std::uint8_t* sector, std::uint16_t* entries) {
    for (int i = 0; i < kEntriesPerFatSector; ++i)
        if (!IsValidFatValue(GetU16(sector + rec::fat::kEntryWidth * i))) return false;
    for (int i = 0; i < kEntriesPerFatSector; ++i)
        entries[i] = GetU16(sector + rec::fat::kEntryWidth * i);
    return true;
}

std::int32_t BytesInUnits(std::int32_t units) {
    if (units <= 0) return 0;
    if (units == 1) return kHeaderDataBytes;
    return kUnitDataBytes * units - (kUnitDataBytes - kHeaderDataBytes);
}

std::int32_t UnitsForBytes(std::int32_t bytes) {
    if (bytes <= kHeaderDataBytes) return 1;
    return (bytes + (kUnitDataBytes - kHeaderDataBytes - 1)) / kUnitDataBytes + 1;
}

}  // namespace orv

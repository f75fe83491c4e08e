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
    std::memset(s, 0, kSectorSize);
    s[0] = 0xEB;
    s[1] = 0x3E;
    s[2] = 0x90;
    std::memcpy(s + 3, "HLVRNIHC", 8);
    PutU16(s + 11, 512);
    s[13] = 1;
    PutU16(s + 14, 1);
    s[16] = 2;
    PutU16(s + 17, 224);
    PutU16(s + 19, 2880);
    s[21] = 0xF0;
    PutU16(s + 22, 9);
    PutU16(s + 24, 18);
    PutU16(s + 26, 2);
    s[38] = 0x29;
    s[39] = 0x51;
    s[40] = 0x3C;
    s[41] = 0x03;
    s[42] = 0x1A;
    std::memcpy(s + 43, "HALVORN    ", 11);
    std::memcpy(s + 54, "FAT12   ", 8);
    s[62] = 0xF1;
    s[63] = 0x7D;
}

bool BootHasSignature(const std::uint8_t* sector) {
    return std::memcmp(sector + 3, kSignature, kSignatureLength) == 0;
}

bool IdHasSignature(const std::uint8_t* sector) {
    return std::memcmp(sector, kSignature, kSignatureLength) == 0;
}

void BuildIdRecord(const IdRecord& r, std::uint8_t* s) {
    std::memset(s, 0, kSectorSize);
    std::memcpy(s, kSignature, kSignatureLength);
    PutU16(s + 5, r.flag ? 1 : 0);
    PutFieldText(s + 7, kLabelWidth, r.label);
    PutFieldText(s + 23, kTextWidth, r.text);
    PutU32(s + 278, r.stampTime);
    for (int k = 0; k < kFatSectorCount; ++k) {
        PutU16(s + 460 + 2 * k, r.fat1[k]);
        PutU16(s + 482 + 2 * k, r.fat2[k]);
    }
}

bool ParseIdRecordBytes(const std::uint8_t* s, IdRecord& r) {
    if (!IdHasSignature(s)) return false;
    r.flag = GetU16(s + 5) == 1;
    r.label = FieldText(s + 7, kLabelWidth);
    r.text = FieldText(s + 23, kTextWidth);
    r.stampTime = GetU32(s + 278);
    for (int k = 0; k < kFatSectorCount; ++k) {
        r.fat1[k] = GetU16(s + 460 + 2 * k);
        r.fat2[k] = GetU16(s + 482 + 2 * k);
    }
    return true;
}

bool IsValidFatValue(std::uint16_t v) {
    return v <= FAT_MAX_FILE || (v >= FAT_TAG_FIRST && v <= FAT_TAG_LAST) || v == FAT_SYSTEM ||
           v == FAT_BAD;
}

void EncodeFatSector(const std::uint16_t* entries, std::uint8_t* sector) {
    for (int i = 0; i < kEntriesPerFatSector; ++i) PutU16(sector + 2 * i, entries[i]);
}

bool DecodeFatSector(const std::uint8_t* sector, std::uint16_t* entries) {
    for (int i = 0; i < kEntriesPerFatSector; ++i)
        if (!IsValidFatValue(GetU16(sector + 2 * i))) return false;
    for (int i = 0; i < kEntriesPerFatSector; ++i) entries[i] = GetU16(sector + 2 * i);
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

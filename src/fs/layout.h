// The on-disk format of an Orvalis diskette: sector map, records and the allocation value set.
// Every multi-byte integer is little-endian; records are built and parsed byte by byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "disk/geometry.h"
#include "fs/records.h"

namespace orv {

// Sector map.
constexpr int kBootSector = 0;
constexpr int kSystemAreaFirst = 1;
constexpr int kSystemAreaLast = 63;
constexpr int kFirstDataSector = 64;    // unit i lives in sector i + 64
constexpr int kUnitCount = 2816;        // units 0..2815, sectors 64..2879
constexpr int kReserveIdSector = 2879;  // the last unit doubles as the reserve ID copy
constexpr int kFatSectorCount = 11;     // entries of one table copy
constexpr int kEntriesPerFatSector = rec::fat::kEntries;
constexpr int kSpareAreaFirst = 26;  // where a failing table sector moves first

// Unit capacity.
constexpr int kHeaderSize = rec::header::kData;
constexpr int kHeaderDataBytes = kSectorSize - kHeaderSize;  // data bytes behind the file header
constexpr int kUnitHeaderSize = rec::unit::kData;
constexpr int kUnitDataBytes = kSectorSize - kUnitHeaderSize;  // data bytes behind a unit header
constexpr std::int32_t kDataAreaBytes = kUnitCount * kUnitDataBytes;  // 1 427 712

// Allocation table values.
constexpr std::uint16_t FAT_FREE = 0;
constexpr std::uint16_t FAT_MAX_FILE = 2816;
constexpr std::uint16_t FAT_TAG_FIRST = 10001;  // accepted tags, never written by this system
constexpr std::uint16_t FAT_TAG_LAST = 12816;
constexpr std::uint16_t FAT_SYSTEM = 30001;
constexpr std::uint16_t FAT_BAD = 31001;
constexpr std::uint16_t FAT_UNREADABLE = 32001;  // in memory only
constexpr std::uint16_t FAT_UNKNOWN = 32002;     // in memory only
constexpr std::uint16_t POS_RESET = 31125;       // a table position that names no sector

constexpr int UnitOfSector(int sector) {
    return sector - kFirstDataSector;
}
constexpr int SectorOfUnit(int unit) {
    return unit + kFirstDataSector;
}
constexpr bool IsDataSector(int sector) {
    return sector >= kFirstDataSector && sector < kSectorCount;
}
constexpr bool IsFileNumber(int v) {
    return v >= 1 && v <= FAT_MAX_FILE;
}

// Little-endian access.
inline std::uint16_t GetU16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

// The owner tag of a unit: the number of the file it belongs to (its first two bytes).
inline std::uint16_t OwnerTag(const std::uint8_t* unit) { return GetU16(unit + rec::unit::kNumber); }

// Text of a fixed field: up to the first NUL or the field's end.
std::string FieldText(const std::uint8_t* field, std::size_t width);
// Writes text into a fixed field, cut to the field and NUL-padded (no terminator when full).
void PutFieldText(std::uint8_t* field, std::size_t width, const std::string& text);

// Boot sector: DOS geometry with the signature "HLVRN" in the OEM name.
constexpr char kSignature[] = "HLVRN";
constexpr int kSignatureLength = 5;
void BuildBootRecord(std::uint8_t* sector);
bool BootHasSignature(const std::uint8_t* sector);

// Identification record, kept in the three ID sectors and in the reserve copy.
using FatPositions = std::array<std::uint16_t, kFatSectorCount>;
struct IdRecord {
    bool flag = false;
    std::string label;  // at most 16 characters reach the diskette
    std::string text;   // at most 255
    std::uint32_t stampTime = 0;
    FatPositions fat1{};
    FatPositions fat2{};
};
constexpr int kLabelWidth = rec::id::kLabelWidth;
constexpr int kTextWidth = rec::id::kTextWidth;
bool IdHasSignature(const std::uint8_t* sector);
void BuildIdRecord(const IdRecord& record, std::uint8_t* sector);
// False when the sector does not start with the signature.
bool ParseIdRecordBytes(const std::uint8_t* sector, IdRecord& record);

// Allocation table sectors.
bool IsValidFatValue(std::uint16_t value);
void EncodeFatSector(const std::uint16_t* entries, std::uint8_t* sector);
// Decodes 256 entries; false (entries untouched) when any value is outside the value set.
bool DecodeFatSector(const std::uint8_t* sector, std::uint16_t* entries);

// Capacity arithmetic.
std::int32_t BytesInUnits(std::int32_t units);   // 0, 448, 507n - 59
std::int32_t UnitsForBytes(std::int32_t bytes);  // 1 for b <= 448, else (b + 58) / 507 + 1

// The piece of a diskette's part of a file that chain position p holds (0 is the header unit,
// then the further units in ascending order): where it begins in the part's bytes, how many
// bytes it can hold, and where in its unit's sector it begins.
constexpr std::int32_t ChainPieceOffset(std::uint32_t position) {
    return position == 0 ? 0 : kHeaderDataBytes + std::int32_t(position - 1) * kUnitDataBytes;
}
constexpr std::int32_t ChainPieceCapacity(std::uint32_t position) {
    return position == 0 ? kHeaderDataBytes : kUnitDataBytes;
}
constexpr int ChainPieceHeader(std::uint32_t position) {
    return position == 0 ? kHeaderSize : kUnitHeaderSize;
}

}  // namespace orv

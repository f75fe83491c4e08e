// Where every field of the on-disk records lies. Records are built and parsed byte by byte,
// little-endian, never by laying a struct over the bytes: these offsets are their one
// description, and the checks below make sure that the fields follow one another and fit.
#pragma once

#include "disk/geometry.h"

namespace orv::rec {

// Sector 0: a DOS boot sector whose OEM name begins with the signature.
namespace boot {
constexpr int kJump = 0;                // 3 bytes: EB 3E 90
constexpr int kOemName = 3;             // 8 bytes: "HLVRNIHC", the signature first
constexpr int kBytesPerSector = 11;     // 2
constexpr int kSectorsPerCluster = 13;  // 1
constexpr int kReservedSectors = 14;    // 2
constexpr int kFatCount = 16;           // 1
constexpr int kRootEntries = 17;        // 2
constexpr int kTotalSectors = 19;       // 2
constexpr int kMediaDescriptor = 21;    // 1
constexpr int kSectorsPerFat = 22;      // 2
constexpr int kSectorsPerTrack = 24;    // 2
constexpr int kHeads = 26;              // 2
constexpr int kExtendedSignature = 38;  // 1 (10 zero bytes before it)
constexpr int kVolumeId = 39;           // 4
constexpr int kVolumeLabel = 43;        // 11
constexpr int kFileSystemType = 54;     // 8
constexpr int kTrailer = 62;            // 2: F1 7D
constexpr int kEnd = 64;                // the rest is not used
static_assert(kOemName == kJump + 3 && kBytesPerSector == kOemName + 8);
static_assert(kExtendedSignature == kHeads + 2 + 10 && kVolumeId == kExtendedSignature + 1);
static_assert(kVolumeLabel == kVolumeId + 4 && kFileSystemType == kVolumeLabel + 11);
static_assert(kTrailer == kFileSystemType + 8 && kEnd == kTrailer + 2);
}  // namespace boot

// The identification record: in each ID sector and in the reserve copy.
namespace id {
constexpr int kSignature = 0;  // 5 bytes, no terminator
constexpr int kFlag = 5;       // 2
constexpr int kLabel = 7;      // 16, NUL-padded
constexpr int kText = 23;      // 255, NUL-padded
constexpr int kStamp = 278;    // 4
constexpr int kFat1 = 460;     // 11 sector numbers of 2 bytes
constexpr int kFat2 = 482;     // 11 more
constexpr int kLabelWidth = 16;
constexpr int kTextWidth = 255;
constexpr int kPositionsWidth = 11 * 2;
static_assert(kFlag == kSignature + 5 && kLabel == kFlag + 2);
static_assert(kText == kLabel + kLabelWidth && kStamp == kText + kTextWidth);
static_assert(kFat2 == kFat1 + kPositionsWidth && kFat2 + kPositionsWidth <= kSectorSize);
}  // namespace id

// The first 64 bytes of a file's header unit.
namespace header {
constexpr int kNumber = 0;       // 2
constexpr int kExtension = 2;    // 3, NUL-terminated when shorter
constexpr int kPart = 5;         // 1
constexpr int kName = 6;         // 49, NUL-terminated when shorter
constexpr int kSize = 55;        // 4
constexpr int kTime = 59;        // 4
constexpr int kAttributes = 63;  // 1
constexpr int kData = 64;        // 448 data bytes follow
constexpr int kExtensionWidth = 3;
constexpr int kNameWidth = 49;
static_assert(kExtension == kNumber + 2 && kPart == kExtension + kExtensionWidth);
static_assert(kName == kPart + 1 && kSize == kName + kNameWidth && kTime == kSize + 4);
static_assert(kAttributes == kTime + 4 && kData == kAttributes + 1);
static_assert(kSectorSize - kData == 448);
}  // namespace header

// The first 5 bytes of every further unit: the owner tag.
namespace unit {
constexpr int kNumber = 0;     // 2, the same as the unit's table entry
constexpr int kExtension = 2;  // 3, the header's bytes 2..4
constexpr int kData = 5;       // 507 data bytes follow
static_assert(kNumber == header::kNumber && kExtension == header::kExtension);
static_assert(kData == kExtension + header::kExtensionWidth && kSectorSize - kData == 507);
}  // namespace unit

// A table sector: 256 entries of 2 bytes, entry i of table sector k belonging to unit 256k + i.
namespace fat {
constexpr int kEntries = 256;
constexpr int kEntryWidth = 2;
static_assert(kEntries * kEntryWidth == kSectorSize);
}  // namespace fat

}  // namespace orv::rec

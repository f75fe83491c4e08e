// ImageDisk (.IMD) files: what a flux reader or ImageDisk itself recorded of a diskette, track
// by track, with the status of every sector. Read here into the 2880 sectors of the 1.44 MB
// diskette and which of them read.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/geometry.h"

namespace orv {

// The record types of a sector in an ImageDisk file: its data in full or as one repeated byte,
// plain, with a deleted-data mark, read with a data error, or both.
enum : std::uint8_t {
    IMD_UNAVAILABLE = 0,
    IMD_DATA = 1,
    IMD_COMPRESSED = 2,
    IMD_DELETED = 3,
    IMD_DELETED_COMPRESSED = 4,
    IMD_ERROR = 5,
    IMD_ERROR_COMPRESSED = 6,
    IMD_DELETED_ERROR = 7,
    IMD_DELETED_ERROR_COMPRESSED = 8,
};

// The head byte of a track carries two flags above the head number.
constexpr std::uint8_t kImdCylinderMapFlag = 0x80;
constexpr std::uint8_t kImdHeadMapFlag = 0x40;
constexpr std::uint8_t kImdSizeCode512 = 2;  // 128 << code bytes a sector
constexpr std::uint8_t kImdCommentEnd = 0x1A;

struct ImdDiskette {
    std::vector<std::uint8_t> data;      // kImageSize bytes; zero where a sector did not read
    std::bitset<kSectorCount> readable;  // the sectors whose data the file vouches for
};

// True when the bytes begin as every ImageDisk file does ("IMD ").
bool HasImdSignature(const std::uint8_t* bytes, std::size_t size);
// True when path is a regular file that begins with "IMD ".
bool IsImdFile(const std::string& path);

// Reads an ImageDisk file. False, with what was found in error, when it cannot hold this
// diskette (sectors of another size, a cylinder, head or sector number the diskette does not
// have) or ends in the middle of a track.
bool ParseImd(const std::uint8_t* bytes, std::size_t size, ImdDiskette& out, std::string& error);

}  // namespace orv

// ImageDisk files built the way a flux reader writes them, from a diskette image and what became
// of each sector, for the tests of the reader and of the commands on such files.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "disk/geometry.h"

namespace orv::tests {

using Bytes = std::vector<std::uint8_t>;

constexpr int kImdTracks = kCylinders * kHeads;

// One track as the file holds it, field by field, so that a test can also give values that no
// 1.44 MB diskette has.
struct ImdTrack {
    std::uint8_t mode = 3;  // 500 kbps MFM, as a 1.44 MB diskette is recorded
    std::uint8_t cylinder = 0;
    std::uint8_t head = 0;  // the map flags are added for the maps given
    std::uint8_t sizeCode = 2;
    std::vector<std::uint8_t> numbers;
    std::vector<std::uint8_t> cylinders;  // empty: no cylinder map
    std::vector<std::uint8_t> heads;      // empty: no head map
    std::vector<Bytes> records;           // each: its type byte, then its data
};

// The header line and comment, with the 0x1A that ends them.
Bytes ImdHeader(const std::string& comment);
void AppendImdTrack(Bytes& file, const ImdTrack& track);
// The record of one sector's bytes: compressed when they are one byte repeated and compress is
// set. type is the plain record type (1, 3, 5 or 7).
Bytes ImdRecord(std::uint8_t type, const std::uint8_t* sector, bool compress);

// What became of one sector in the file.
enum class ImdSector : std::uint8_t {
    Data,              // read
    Deleted,           // read, with a deleted-data mark
    DataError,         // read with a data error (its bytes are recorded all the same)
    DeletedDataError,  // both
    Unavailable,       // in its track, but without data
    WrongId,           // read, but its ID names another cylinder (the cylinder map says so)
    Absent,            // not in its track at all
};
// A further record of a sector, after the track's own: what a second read of it gave.
struct ImdExtraCopy {
    int sector = 0;
    ImdSector status = ImdSector::Data;
    Bytes data;  // kSectorSize bytes
};

struct ImdLayout {
    std::vector<ImdSector> sectors = std::vector<ImdSector>(kSectorCount, ImdSector::Data);
    // Per track (cylinder * 2 + head): the sector numbers in the order they passed the head;
    // empty: 1 to 18. Absent sectors are left out wherever they stand.
    std::vector<std::vector<int>> order = std::vector<std::vector<int>>(kImdTracks);
    std::vector<bool> cylinderMap = std::vector<bool>(kImdTracks, false);
    std::vector<bool> headMap = std::vector<bool>(kImdTracks, false);
    // A track without any sector present is written with no sectors when set, else left out.
    std::vector<bool> emptyTrackWritten = std::vector<bool>(kImdTracks, false);
    std::vector<int> trackOrder;  // the order of the tracks in the file; empty: ascending
    std::vector<ImdExtraCopy> extras;
    bool compress = true;  // sectors of one byte repeated go as compressed records
    std::string comment = "Orvalis test diskette\r\n";
};

// True when the status leaves the sector readable.
bool ImdSectorReads(ImdSector status);
// The ImageDisk file of a diskette image (kImageSize bytes) laid out as given.
Bytes WriteImd(const Bytes& image, const ImdLayout& layout);
// Every sector read, in ascending order, compressed where it can be.
Bytes WriteImd(const Bytes& image);

// A worn diskette (image: kImageSize bytes) as a flux reader may record it: sectors of every
// status, tracks missing or short, sectors in a random order, maps, tracks in a random order,
// and second copies of sectors, some of which differ from the image.
ImdLayout RandomImdLayout(const Bytes& image, std::mt19937& rng);

}  // namespace orv::tests

// A listed file read whole from its units, in chain order, every unit checked against the
// file's tag: what the mounted folder serves for it. A piece whose unit does not read, or is not
// the file's, holds the filler a copy writes, and its chain position is kept.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "disk/io_error.h"
#include "fs/file_record.h"
#include "fs/volume.h"

namespace orv {

struct FileImage {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> bad;  // chain positions, ascending

    bool Intact() const { return bad.empty(); }
    // Up to size bytes from offset into out: their count (0 at the end). Without filler, a read
    // stops short before the first piece that did not read, and one that begins in such a
    // piece fails with -EIO, as a disk's bad sector fails the read that reaches it.
    long Serve(std::int64_t offset, std::size_t size, bool filler, char* out) const;
    // The chain positions of the bad pieces as "2,5"; empty for an intact file.
    std::string BadText() const;
};

// Reads the first `bytes` bytes that the file's units hold. False, with the drive's cause, when
// the drive failed as a whole (nothing more would read).
bool ReadFileImage(CVolume& volume, const FileRecord& record, std::int32_t bytes, FileImage& image,
                   IoError& cause);

// The diskette's room counted in units, the blocks of the mounted folder.
struct DisketteRoom {
    int unitBytes = 0;           // the data bytes of a unit
    int units = 0;               // the units of the data area
    int freeUnits = 0;           // 0 without a diskette
    std::int64_t fileBytes = 0;  // the largest file the free units hold
};
// The room of volume; without one (no diskette open), only its units.
DisketteRoom RoomOf(const CVolume* volume);

}  // namespace orv

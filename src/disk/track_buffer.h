// A read-ahead buffer of one cylinder for the drive. Reading a file asks for one sector per
// request; on a real drive each such request comes just too late for the next sector and costs
// nearly a whole turn. So a single-sector read that misses the buffer reads on to the end of
// its cylinder in one request and keeps the rest.
//
// It keeps the drive's contract:
//   - a request still succeeds or fails as a whole for its own sectors: when the read-ahead
//     fails, the requested sector alone is read, so a bad sector never fails a request that
//     does not cover it (and the cylinder is not read ahead again until the buffer is dropped,
//     since a failing read is slow on a real drive);
//   - any write, any failed request and any change of the diskette drop the buffer, so a
//     changed diskette is never served stale data.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "disk/geometry.h"
#include "disk/result.h"

namespace orv {

class TrackBuffer {
public:
    using ReadFn = std::function<Status(int first, int count, std::uint8_t* buffer)>;

    // Serves a read of count sectors: from the buffer when it holds them all, otherwise through
    // read (with read-ahead to the end of the cylinder for a single sector).
    // A failure is the failure of the request's own sectors.
    Status Read(int first, int count, std::uint8_t* buffer, const ReadFn& read);
    void Drop();
    long Hits() const { return m_hits; }

private:
    static constexpr int kCylinderSectors = kSectorsPerTrack * kHeads;
    std::array<std::uint8_t, kCylinderSectors * kSectorSize> m_data{};
    int m_first = -1;  // first buffered sector; -1 = empty
    int m_count = 0;
    int m_noReadAheadCylinder = -1;
    long m_hits = 0;
};

}  // namespace orv

// A timing model of a 3.5" 1.44 MB drive, used only to tell how long the requests a command made
// would take on a real drive (for --stats and the benchmarks). It never sleeps.
//
// The disk turns at 300 rpm (200 ms a turn) and the head reads 500 kbit/s of MFM: 62.5 bytes a
// millisecond, 12 500 bytes a track. The standard format lays out a track as a preamble (GAP4a,
// sync, index mark, GAP1: 146 bytes), then 18 sectors of 574 bytes from the ID field's sync to
// the data's CRC (ID field, GAP2, data field of 512 bytes) each followed by GAP3 (108 bytes),
// and GAP4b to the end of the turn. So sector k's ID mark passes 146 + 682 (k - 1) bytes after
// the index, and the sector is through 574 bytes later; between the last sector and the first
// lie GAP3, GAP4b and the next preamble: 332 bytes, 5.3 ms.
//
// A request:
//   - costs a fixed host overhead (command and result phases, interrupt, driver);
//   - moves the head to its cylinder: 3 ms a cylinder plus 15 ms to settle when it moves;
//   - catches a sector when the controller is ready before its ID mark passes, else waits for
//     the next turn;
//   - transfers its sectors one after the other, switching heads (and stepping to the next
//     cylinder) when the run crosses a track.
// The model keeps the disk's angle as time goes on, so a request that comes just too late for
// its sector waits almost a whole turn, as on a real drive.
#pragma once

#include <mutex>

namespace orv {

struct DriveTimingConstants {
    double rotationMs = 200.0;       // 300 rpm
    double bytesPerMs = 62.5;        // 500 kbit/s, MFM
    int preambleBytes = 146;         // GAP4a 80, sync 12, index mark 4, GAP1 50
    int sectorBytes = 574;           // sync, ID mark, ID, CRC, GAP2, sync, data mark, data, CRC
    int gap3Bytes = 108;             // GAP3 of the 1.44 MB format
    double stepMs = 3.0;             // step rate of a 3.5" HD drive
    double settleMs = 15.0;          // head settle after a seek
    double headSwitchMs = 0.5;       // electronic head selection
    double commandOverheadMs = 2.0;  // host side of one request; longer than GAP3

    // When sector k's ID mark passes, after the index (ms).
    double IdMarkMs(int sectorInTrack) const {
        return (preambleBytes + (sectorInTrack - 1) * (sectorBytes + gap3Bytes)) / bytesPerMs;
    }
    double SectorMs() const { return sectorBytes / bytesPerMs; }
    double Gap3Ms() const { return gap3Bytes / bytesPerMs; }
};

class DriveTimingModel {
public:
    explicit DriveTimingModel(DriveTimingConstants c = {}) : m_c(c) {}
    // Adds one request of count sectors from first and returns its modelled duration in ms.
    double Request(int first, int count);
    double ElapsedMs() const;
    void Reset();
    const DriveTimingConstants& Constants() const { return m_c; }

    // The least time a drive needs to pass count sectors under the head once: a track a turn.
    double PhysicalLimitMs(long sectors) const { return double(sectors) * m_c.rotationMs / 18.0; }

private:
    double WaitForSector(double now, int sectorInTrack) const;
    DriveTimingConstants m_c;
    mutable std::mutex m_mutex;
    double m_now = 0.0;
    int m_cylinder = 0;
};

}  // namespace orv

// A timing model of a 3.5" 1.44 MB drive, used only to tell how long the requests a command made
// would take on a real drive (for --stats and the benchmarks). It never sleeps.
//
// The disk turns at 300 rpm (200 ms a turn) and 18 sectors pass under the head per turn, so a
// sector slot lasts 200/18 ms. A request:
//   - costs a fixed host overhead (command and result phases, interrupt, driver);
//   - moves the head to its cylinder: 3 ms a cylinder plus 15 ms to settle when it moves;
//   - waits until its first sector comes round: a sector is caught when the controller is
//     ready no later than the gap in front of the sector's ID mark;
//   - transfers its sectors one slot each, switching heads (and stepping to the next
//     cylinder) when the run crosses a track.
// The model keeps the disk's angle as time goes on, so a request that comes just too late for
// its sector waits almost a whole turn, as on a real drive.
#pragma once

#include <mutex>

namespace orv {

struct DriveTimingConstants {
    double rotationMs = 200.0;         // 300 rpm
    double sectorMs = 200.0 / 18.0;    // one sector slot, gaps included
    double gapMs = 108 * 0.016;        // 108-byte GAP3 of the 1.44 MB format at 500 kbit/s
    double stepMs = 3.0;               // step rate of a 3.5" HD drive
    double settleMs = 15.0;            // head settle after a seek
    double headSwitchMs = 0.5;         // electronic head selection
    double commandOverheadMs = 2.0;    // host side of one request; longer than the gap
};

class DriveTimingModel {
public:
    explicit DriveTimingModel(DriveTimingConstants c = {}) : m_c(c) {}
    // Adds one request of count sectors from first and returns its modelled duration in ms.
    double Request(int first, int count);
    double ElapsedMs() const;
    void Reset();
    const DriveTimingConstants& Constants() const { return m_c; }

    // The least time a drive needs to pass count sectors under the head once.
    double PhysicalLimitMs(long sectors) const { return double(sectors) * m_c.sectorMs; }

private:
    double WaitForSector(double now, int sectorInTrack) const;
    DriveTimingConstants m_c;
    mutable std::mutex m_mutex;
    double m_now = 0.0;
    int m_cylinder = 0;
};

}  // namespace orv

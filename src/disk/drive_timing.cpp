#include "disk/drive_timing.h"

#include <cmath>
#include <cstdlib>

#include "disk/geometry.h"

namespace orv {

double DriveTimingModel::WaitForSector(double now, int sectorInTrack) const {
    // Ready before the ID mark passes: caught. Otherwise the next time round.
    double wait = m_c.IdMarkMs(sectorInTrack) - std::fmod(now, m_c.rotationMs);
    while (wait < 0) wait += m_c.rotationMs;
    return wait;
}

double DriveTimingModel::Request(int first, int count) {
    std::lock_guard lock(m_mutex);
    const double start = m_now;
    m_now += m_c.commandOverheadMs;
    int head = -1;
    for (int i = 0; i < count; ++i) {
        const Chs chs = ToChs(first + i);
        if (chs.sector == 0) break;
        if (chs.cylinder != m_cylinder) {
            m_now += std::abs(chs.cylinder - m_cylinder) * m_c.stepMs + m_c.settleMs;
            m_cylinder = chs.cylinder;
            head = -1;
        }
        if (head >= 0 && chs.head != head) m_now += m_c.headSwitchMs;
        head = chs.head;
        m_now += WaitForSector(m_now, chs.sector);
        m_now += m_c.SectorMs();
    }
    return m_now - start;
}

double DriveTimingModel::ElapsedMs() const {
    std::lock_guard lock(m_mutex);
    return m_now;
}

void DriveTimingModel::Reset() {
    std::lock_guard lock(m_mutex);
    m_now = 0.0;
    m_cylinder = 0;
}

}  // namespace orv

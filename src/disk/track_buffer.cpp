#include "disk/track_buffer.h"

#include <cstring>

namespace orv {

void TrackBuffer::Drop() {
    m_first = -1;
    m_count = 0;
    m_noReadAheadCylinder = -1;
}

Status TrackBuffer::Read(int first, int count, std::uint8_t* buffer, const ReadFn& read) {
    if (m_first >= 0 && first >= m_first && first + count <= m_first + m_count) {
        std::memcpy(buffer, m_data.data() + std::size_t(first - m_first) * kSectorSize,
                    std::size_t(count) * kSectorSize);
        ++m_hits;
        return {};
    }
    const int cylinder = first / kCylinderSectors;
    const int cylinderEnd = (cylinder + 1) * kCylinderSectors;
    if (count == 1 && cylinder != m_noReadAheadCylinder && first + 1 < cylinderEnd) {
        const int ahead = cylinderEnd - first;
        if (read(first, ahead, m_data.data())) {
            m_first = first;
            m_count = ahead;
            std::memcpy(buffer, m_data.data(), kSectorSize);
            return {};
        }
        m_first = -1;
        m_count = 0;
        m_noReadAheadCylinder = cylinder;
    }
    const Status status = read(first, count, buffer);
    if (status) return status;
    const int keep = m_noReadAheadCylinder;
    Drop();
    m_noReadAheadCylinder = keep;
    return status;
}

}  // namespace orv

#include "ui/progress/time_left.h"

#include <cmath>

#include "ports/text_format.h"

namespace orv {

namespace {

// A first few seconds say little: a drive spins up, the first runs fill its buffer.
constexpr std::chrono::seconds kSettle{2};

}  // namespace

std::optional<long> CTimeLeft::Update(long done, long total, Clock::time_point now) {
    if (!m_start) {
        m_start = now;
        m_startDone = done;
        return std::nullopt;
    }
    if (done >= total) return 0;
    const double seconds = std::chrono::duration<double>(now - *m_start).count();
    const long moved = done - m_startDone;
    if (now - *m_start < kSettle || moved <= 0) return std::nullopt;
    return long(std::ceil(double(total - done) * seconds / double(moved)));
}

std::string TimeLeftText(long seconds) {
    if (seconds <= 0) return {};
    if (seconds < 60) return StrFormat("About %ld s left", seconds);
    if (seconds < 3600) return StrFormat("About %ld min %ld s left", seconds / 60, seconds % 60);
    return StrFormat("About %ld h %ld min left", seconds / 3600, seconds % 3600 / 60);
}

}  // namespace orv

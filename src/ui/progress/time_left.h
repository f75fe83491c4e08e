// How long a transfer still takes, from its pace so far: the first report starts the clock, and
// an estimate comes once the transfer has run a while and moved on.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace orv {

class CTimeLeft {
public:
    using Clock = std::chrono::steady_clock;

    // done of total at the time now: the seconds left, or nullopt while the pace is unknown.
    std::optional<long> Update(long done, long total, Clock::time_point now);

private:
    std::optional<Clock::time_point> m_start;
    long m_startDone = 0;
};

// "About 1 min 20 s left", "About 40 s left"; empty for nothing left.
std::string TimeLeftText(long seconds);

}  // namespace orv

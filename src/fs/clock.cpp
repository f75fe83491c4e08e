#include "fs/clock.h"

#include <chrono>
#include <mutex>

namespace orv {

namespace {
std::mutex g_mutex;
std::function<std::uint32_t()> g_clock;
}  // namespace

std::uint32_t CurrentTime() {
    {
        std::lock_guard lock(g_mutex);
        if (g_clock) return g_clock();
    }
    // The fine clock, not time()'s coarse one: a file written a moment ago may carry a timestamp
    // from the fine clock, a tick ahead of the coarse one, and must not look as if it came from
    // the future (the full test drops files whose time lies ahead).
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    return now < 0 ? 0 : std::uint32_t(now);
}

void SetClockForTesting(std::function<std::uint32_t()> clock) {
    std::lock_guard lock(g_mutex);
    g_clock = std::move(clock);
}

}  // namespace orv

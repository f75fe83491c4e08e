#include "fs/clock.h"

#include <ctime>
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
    const std::time_t now = std::time(nullptr);
    return now < 0 ? 0 : std::uint32_t(now);
}

void SetClockForTesting(std::function<std::uint32_t()> clock) {
    std::lock_guard lock(g_mutex);
    g_clock = std::move(clock);
}

}  // namespace orv

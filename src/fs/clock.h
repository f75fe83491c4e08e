// The current time in seconds since 1970-01-01 00:00 UTC, replaceable in tests.
#pragma once

#include <cstdint>
#include <functional>

namespace orv {

std::uint32_t CurrentTime();
// An empty function restores the system clock.
void SetClockForTesting(std::function<std::uint32_t()> clock);

}  // namespace orv

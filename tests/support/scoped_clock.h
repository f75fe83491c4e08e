// Pins the volume's clock for the life of the object, so that stamp times are known.
#pragma once

#include <cstdint>

#include "fs/clock.h"

namespace orv::tests {

class ScopedClock {
public:
    explicit ScopedClock(std::uint32_t start) : m_now(start) {
        SetClockForTesting([this] { return m_now; });
    }
    ~ScopedClock() { SetClockForTesting({}); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

    void Advance(std::uint32_t seconds) { m_now += seconds; }
    std::uint32_t Now() const { return m_now; }

private:
    std::uint32_t m_now;
};

}  // namespace orv::tests

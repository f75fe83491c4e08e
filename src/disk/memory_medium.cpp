#include "disk/memory_medium.h"

#include <algorithm>
#include <cstring>

namespace orv {

MemoryMedium::MemoryMedium()
    : m_bytes(std::size_t(kImageSize), 0), m_torn(std::size_t(kSectorCount), false) {}

MemoryMedium::MemoryMedium(std::vector<std::uint8_t> bytes)
    : m_bytes(std::move(bytes)), m_torn(std::size_t(kSectorCount), false) {
    m_bytes.resize(std::size_t(kImageSize), 0);
}

void MemoryMedium::Restart() {
    m_faults.Clear();
    m_torn.assign(m_torn.size(), false);
    SetHooks(Hooks{});
    ResetCounters();
}

void MemoryMedium::SetHooks(const Hooks& hooks) {
    m_unsynced.clear();  // what the old hooks left is the platter now
    m_oldestUnsynced = -1;
    m_hooks = hooks;
    m_bPowerLost = m_bReadsBroken = m_bWritesBroken = false;
    m_requestsAfterPull = 0;
}

bool MemoryMedium::AnyTorn(int first, int count) const {
    for (int i = 0; i < count; ++i)
        if (m_torn[std::size_t(first + i)]) return true;
    return false;
}

Status MemoryMedium::Read(int first, int count, std::uint8_t* buffer) {
    ++m_readRequests;
    if (!IsSectorRange(first, count)) return Fail(IoError::Unreadable);
    if (Pulled()) return Fail(IoError::NoMedium);
    if (m_bReadsBroken || m_readRequests == m_hooks.failReadRequest) {
        if (m_hooks.failPersistent) m_bReadsBroken = true;
        return Fail(HookCause(IoError::Unreadable));
    }
    if (m_faults.BlocksRead(first, count) || AnyTorn(first, count))
        return Fail(IoError::Unreadable);
    std::memcpy(buffer, SectorData(first), std::size_t(count) * kSectorSize);
    return {};
}

Status MemoryMedium::Write(int first, int count, const std::uint8_t* buffer) {
    ++m_writeRequests;
    if (!IsSectorRange(first, count)) return Fail(IoError::Unwritable);
    if (Pulled()) return Fail(IoError::NoMedium);
    if (m_bWritesBroken || m_writeRequests == m_hooks.failWriteRequest) {
        if (m_hooks.failPersistent) m_bWritesBroken = true;
        return Fail(HookCause(IoError::Unwritable));
    }
    if (m_faults.WriteProtected()) return Fail(IoError::WriteProtected);
    if (m_faults.BlocksWrite(first, count)) return Fail(IoError::Unwritable);
    for (int i = 0; i < count; ++i) {
        const long limit = m_hooks.powerLossAfterWrites;
        if (limit >= 0 && m_sectorWrites >= limit && !m_bPowerLost) {
            m_bPowerLost = true;
            LoseUnsynced();
        }
        // After a power loss the host never hears back; the drive simply stores nothing more.
        if (m_bPowerLost) return {};
        ++m_sectorWrites;
        std::uint8_t* dst = SectorData(first + i);
        if (m_hooks.writeBack && !m_unsynced.count(first + i)) {
            if (m_unsynced.empty()) m_oldestUnsynced = first + i;
            m_unsynced[first + i] = {std::vector<std::uint8_t>(dst, dst + kSectorSize),
                                     m_torn[std::size_t(first + i)]};
        }
        std::memcpy(dst, buffer + std::size_t(i) * kSectorSize, kSectorSize);
        m_torn[std::size_t(first + i)] = false;  // a whole write mends a torn sector
        if (limit >= 0 && m_sectorWrites == limit) {
            if (m_hooks.tornLast == Torn::Garbage) {
                for (int b = 0; b < kSectorSize; ++b) dst[b] = std::uint8_t(0xA5 ^ (b * 37));
            } else if (m_hooks.tornLast == Torn::Unreadable) {
                m_torn[std::size_t(first + i)] = true;
            }
            // The cut falls here, also when no write follows.
            m_bPowerLost = true;
            LoseUnsynced();
        }
    }
    return {};
}

Status MemoryMedium::Flush() {
    ++m_flushes;
    // A barrier after the power loss orders nothing: the cache is gone.
    if (!m_bPowerLost) {
        m_unsynced.clear();
        m_oldestUnsynced = -1;
    }
    return {};
}

void MemoryMedium::LoseUnsynced() {
    for (auto& [sector, old] : m_unsynced) {
        // splitmix32 of seed and sector: one verdict per sector and cut.
        std::uint32_t z = m_hooks.writeBackSeed * 0x9E3779B9u + std::uint32_t(sector) * 0x85EBCA6Bu;
        z = (z ^ (z >> 16)) * 0x7FEB352Du;
        z = (z ^ (z >> 15)) * 0x846CA68Bu;
        z ^= z >> 16;
        const bool landed = m_hooks.oldestLost ? sector != m_oldestUnsynced : (z & 1u) != 0;
        if (landed) continue;
        std::copy(old.bytes.begin(), old.bytes.end(), SectorData(sector));
        m_torn[std::size_t(sector)] = old.torn;
    }
    m_unsynced.clear();
    m_oldestUnsynced = -1;
}

}  // namespace orv

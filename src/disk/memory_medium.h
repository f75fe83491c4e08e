// An in-memory diskette with the same fault model as an image, plus hooks that simulate power
// loss, torn writes and failing requests for the reliability tests.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "disk/fault_map.h"
#include "disk/medium.h"

namespace orv {

class MemoryMedium final : public IMedium {
public:
    MemoryMedium();
    explicit MemoryMedium(std::vector<std::uint8_t> bytes);

    Status Read(int first, int count, std::uint8_t* buffer) override;
    Status Write(int first, int count, const std::uint8_t* buffer) override;
    Status Flush() override;
    std::string Describe() const override { return "memory"; }
    bool WriteProtected() const override { return m_faults.WriteProtected(); }

    FaultMap& Faults() { return m_faults; }
    const FaultMap& Faults() const { return m_faults; }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::uint8_t* SectorData(int sector) {
        return m_bytes.data() + std::size_t(sector) * kSectorSize;
    }

    // Makes the medium a fresh diskette holding whatever Bytes() now holds: no faults, no
    // torn sectors, no hooks, counters at zero. Lets a caller that runs many diskettes fill
    // one medium in place instead of allocating an image each time.
    void Restart();

    // Hooks. Sector writes are counted one by one across requests (a request of n sectors is n
    // sector writes); requests are counted separately. Counts run from construction or the
    // last ResetCounters.
    enum class Torn {
        None,
        Garbage,     // the sector holds bytes that nobody wrote
        Unreadable,  // the sector fails every read until a later write lands on it
    };
    struct Hooks {
        long powerLossAfterWrites = -1;  // sector writes that land; every later write is dropped
        Torn tornLast = Torn::None;      // how the last landing sector write is damaged
        long failReadRequest = -1;       // the N-th read request (1-based) fails
        long failWriteRequest = -1;      // the N-th write request (1-based) fails
        bool failPersistent = false;     // a failed request keeps failing from then on
        // What a hooked failure says it was; None: a sector of the request (unreadable for a
        // read, unwritable for a write).
        IoError failCause = IoError::None;
        // The diskette is pulled after this many requests (reads and writes): every later
        // request fails for want of a medium.
        long pullAfterRequests = -1;
        // A write-back cache: writes are read back at once but reach the platter only at the
        // next Flush, in any order. When the power is lost (powerLossAfterWrites), each
        // sector written since the last Flush holds its new bytes or its old ones: as
        // writeBackSeed decides for that sector, or, with oldestLost, every one but the
        // sector written first since the Flush reached the platter (the cache wrote back
        // newest first).
        bool writeBack = false;
        std::uint32_t writeBackSeed = 0;
        bool oldestLost = false;
    };
    // New hooks also end the effects of the old ones (a lost power or a persistent failure):
    // the drive starts afresh, with the platter as the old hooks left it.
    void SetHooks(const Hooks& hooks);
    void ResetCounters() { m_sectorWrites = m_readRequests = m_writeRequests = m_flushes = 0; }
    long SectorWrites() const { return m_sectorWrites; }
    long ReadRequests() const { return m_readRequests; }
    long WriteRequests() const { return m_writeRequests; }
    long Flushes() const { return m_flushes; }
    bool PowerLost() const { return m_bPowerLost; }
    // Requests that came after the diskette was pulled.
    long RequestsAfterPull() const { return m_requestsAfterPull; }

private:
    bool AnyTorn(int first, int count) const;
    bool Pulled() {
        const long limit = m_hooks.pullAfterRequests;
        if (limit < 0 || m_readRequests + m_writeRequests <= limit) return false;
        ++m_requestsAfterPull;
        return true;
    }
    static Status Fail(IoError cause) { return Status::Failure(cause); }
    // The power is gone: of the writes the cache still held, some never reached the platter.
    void LoseUnsynced();
    IoError HookCause(IoError sectorCause) const {
        return m_hooks.failCause == IoError::None ? sectorCause : m_hooks.failCause;
    }

    std::vector<std::uint8_t> m_bytes;
    FaultMap m_faults;
    Hooks m_hooks;
    long m_sectorWrites = 0;
    long m_readRequests = 0;
    long m_writeRequests = 0;
    bool m_bPowerLost = false;
    bool m_bReadsBroken = false;
    bool m_bWritesBroken = false;
    long m_requestsAfterPull = 0;
    std::vector<bool> m_torn;  // sectors left unreadable by a torn write
    long m_flushes = 0;
    // With a write-back cache: what the platter held, before the first write since the last
    // Flush, of each sector written since.
    struct Unsynced {
        std::vector<std::uint8_t> bytes;
        bool torn = false;
    };
    std::map<int, Unsynced> m_unsynced;
    int m_oldestUnsynced = -1;
};

}  // namespace orv

// Injected sector faults: which sectors refuse reads or writes, and write protection.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "disk/geometry.h"

namespace orv {

enum class Fault : std::uint8_t {
    None = 0,
    Unreadable = 1,  // reads fail; writes are stored but the sector stays unreadable
    Unwritable = 2,  // writes fail; reads work
    Bad = 3,         // both fail
};

class FaultMap {
public:
    void Set(int sector, Fault fault);
    void SetRange(int first, int last, Fault fault);
    Fault At(int sector) const;
    // Makes reads of the sector fail or work, keeping whether its writes fail.
    void SetReadable(int sector, bool readable);
    void SetWriteProtected(bool on) { m_bWriteProtected = on; }
    bool WriteProtected() const { return m_bWriteProtected; }
    void Clear();
    bool Empty() const;

    // True when any sector of [first, first + count) refuses the operation.
    bool BlocksRead(int first, int count) const;
    bool BlocksWrite(int first, int count) const;

    // Sidecar text: one entry a line, '#' starts a comment, "KIND FIRST[-LAST]" with KIND one of
    // unreadable, unwritable, bad; or the single word "write-protected". On a malformed line
    // returns false and sets error to "NAME:LINE: reason".
    static bool Parse(const std::string& text, const std::string& name, FaultMap& out,
                      std::string& error);
    std::string Format() const;

private:
    std::array<Fault, kSectorCount> m_faults{};
    bool m_bWriteProtected = false;
};

// The sidecar that belongs to an image: "disk.img" -> "disk.img.faults".
std::string FaultSidecarPath(const std::string& imagePath);

}  // namespace orv

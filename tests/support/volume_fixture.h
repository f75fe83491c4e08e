// A volume on an in-memory diskette with a pinned clock, and ways to look at what reached the
// diskette.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "fs/layout.h"
#include "fs/volume.h"
#include "support/memory_disk.h"
#include "support/scoped_clock.h"

namespace orv::tests {

using FatChunk = std::array<std::uint16_t, kEntriesPerFatSector>;

class VolumeTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kStart = 1'700'000'000;

    void Format(const std::string& label = "WORK") { ASSERT_TRUE(QuickFormat(volume, label)); }

    // The ID record in a sector as it lies on the diskette.
    IdRecord RawId(int sector) {
        IdRecord record;
        EXPECT_TRUE(ParseIdRecordBytes(disk.Raw(sector).data(), record)) << "sector " << sector;
        return record;
    }
    // The 256 entries of a table sector as they lie on the diskette.
    FatChunk RawFat(int sector) {
        FatChunk chunk{};
        const SectorImage s = disk.Raw(sector);
        for (int i = 0; i < kEntriesPerFatSector; ++i) chunk[i] = GetU16(s.data() + 2 * i);
        return chunk;
    }
    FatChunk TableChunk(const CVolume& v, int k) {
        FatChunk chunk{};
        std::copy_n(v.Fat().entries.begin() + k * kEntriesPerFatSector, kEntriesPerFatSector,
                    chunk.begin());
        return chunk;
    }
    // A second volume that opens the diskette afresh, as the next session would.
    std::unique_ptr<CVolume> Reopen() {
        auto other = std::make_unique<CVolume>(&disk.Drive());
        EXPECT_TRUE(OpenVolume(*other));
        return other;
    }

    ScopedClock clock{kStart};
    MemoryDisk disk;
    CVolume volume{&disk.Drive()};
};

}  // namespace orv::tests

// Whatever a diskette holds, opening, listing and writing the table must neither crash, nor
// read or write outside a buffer, nor loop forever, nor hand out impossible values.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/memory_disk.h"

namespace orv {
namespace {

using tests::MemoryDisk;

class Garbage {
public:
    explicit Garbage(std::uint32_t seed) : m_rng(seed) {}
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    std::uint8_t Byte() { return std::uint8_t(m_rng()); }

    // Plausible table values most of the time, so that table sectors are accepted and the
    // listing has files to read; now and then anything at all.
    std::uint16_t Entry() {
        switch (Pick(0, 9)) {
            case 0:
                return std::uint16_t(m_rng());
            case 1:
                return FAT_BAD;
            case 2:
                return FAT_SYSTEM;
            case 3:
                return std::uint16_t(Pick(FAT_TAG_FIRST, FAT_TAG_LAST));
            case 4:
                return std::uint16_t(Pick(1, FAT_MAX_FILE));
            case 5:
            case 6:
                return std::uint16_t(Pick(1, 6));
            default:
                return FAT_FREE;
        }
    }
    std::uint16_t Position() {
        switch (Pick(0, 7)) {
            case 0:
                return std::uint16_t(m_rng());
            case 1:
                return std::uint16_t(Pick(0, 3));
            case 2:
                return std::uint16_t(Pick(2870, 2885));
            case 3:
                return std::uint16_t(Pick(64, 2879));
            default:
                return std::uint16_t(Pick(1, 30));  // overlapping, repeating
        }
    }

private:
    std::mt19937 m_rng;
};

void Scramble(MemoryDisk& disk, Garbage& g) {
    auto& bytes = disk.Medium().Bytes();
    for (std::size_t i = 0; i < std::size_t(64) * kSectorSize; ++i) bytes[i] = g.Byte();
    if (g.Pick(0, 3) > 0) std::memcpy(bytes.data() + 3, "HLVRN", 5);
    // ID sectors with random fields.
    const int ids = g.Pick(0, 5);
    for (int i = 0; i < ids; ++i) {
        std::uint8_t* s = disk.Medium().SectorData(g.Pick(1, 63));
        std::memcpy(s, "HLVRN", 5);
        for (int k = 0; k < 2 * kFatSectorCount; ++k) PutU16(s + 460 + 2 * k, g.Position());
    }
    // Table sectors wherever the records might point.
    for (int n = g.Pick(0, 40); n > 0; --n) {
        std::uint8_t* s = disk.Medium().SectorData(g.Pick(1, 63));
        if (IdHasSignature(s)) continue;
        for (int i = 0; i < kEntriesPerFatSector; ++i) PutU16(s + 2 * i, g.Entry());
    }
    // Header units of random content, some with file numbers that disagree with the table.
    for (int n = g.Pick(0, 300); n > 0; --n) {
        std::uint8_t* s = disk.Medium().SectorData(g.Pick(64, 2879));
        for (int i = 0; i < kSectorSize; ++i) s[i] = g.Byte();
    }
    for (int n = g.Pick(0, 30); n > 0; --n) {
        static constexpr Fault kKinds[] = {Fault::Unreadable, Fault::Unwritable, Fault::Bad};
        disk.Faults().Set(g.Pick(0, 2879), kKinds[g.Pick(0, 2)]);
    }
}

TEST(GarbageDiskette, OpeningListingAndWritingSurviveAnyContent) {
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Garbage g(seed);
        MemoryDisk disk;
        Scramble(disk, g);
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(volume.OpenDevice());
        (void)volume.CheckSector0();  // any answer, but no crash and no hang
        const Result<bool> found = volume.FindIdSectors();
        const bool fill = g.Pick(0, 1) == 1;
        const bool loaded =
            found == false ? volume.PrepareNewSystemArea().Ok() : volume.ReadFat(fill).Ok();

        std::vector<FileRecord> records;
        (void)volume.ListFiles(records);
        for (const FileRecord& r : records) {
            EXPECT_LE(r.name.size(), 49u);
            EXPECT_LE(r.extension.size(), 3u);
            EXPECT_TRUE(IsFileNumber(r.fileNumber)) << r.fileNumber;
        }
        if (!loaded && !fill) continue;  // a partly loaded table is never written

        // As a quick format would: forget the files, write everything back.
        for (int u = 0; u < kUnitCount; ++u) {
            const std::uint16_t e = volume.Fat().entries[u];
            EXPECT_TRUE(IsValidFatValue(e) || e == FAT_UNKNOWN) << u << ": " << e;
            if (e != FAT_BAD && e != FAT_SYSTEM) volume.Fat().entries[u] = FAT_FREE;
        }
        (void)volume.NextRun(18, true);
        volume.MarkAllFatDirty(true);
        disk.ClearWrites();
        const Result<int> moved = volume.WriteFat();
        if (moved) {
            EXPECT_TRUE(*moved >= 0 && *moved <= kFatSectorCount) << *moved;
        }
        const std::string label = "garbage";
        (void)volume.WriteIdSectors(&label, nullptr);
        for (int s : disk.WrittenSectors()) {
            if (!IsDataSector(s) || s == kReserveIdSector) continue;
            EXPECT_EQ(volume.Fat().entries[UnitOfSector(s)], FAT_SYSTEM) << "wrote unit " << s;
        }
        (void)volume.SameDiskette();
    }
}

}  // namespace
}  // namespace orv

// The fuzzer's inputs as ordinary tests: every crashing input it ever found (crashers/) and
// every seed of its corpus run through the same exercise under this build's sanitizers. With
// ORVALIS_WRITE_FUZZ_SEEDS=DIR the seeds are made afresh from diskettes the tests build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <numeric>
#include <random>

#include "disk/imd_file.h"
#include "fs/volume.h"
#include "fuzz/exercise_image.h"
#include "reliability/harness.h"
#include "support/imd_writer.h"
#include "support/memory_disk.h"

namespace orv::reliability {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.' &&
            entry.path().extension() != ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void ReplayAll(const fs::path& dir, const char* figure) {
    long replayed = 0;
    for (const fs::path& file : FilesIn(dir)) {
        SCOPED_TRACE(file.string());
        const Bytes input = tests::ReadBytes(file.string());
        fuzz::ExerciseInput(input.data(), input.size());
        ++replayed;
    }
    ReportFigure(figure, replayed);
}

TEST(FuzzInputs, EveryCrasherRunsClean) {
    ReplayAll(ORVALIS_CRASHERS_DIR, "crashers_replayed");
}

TEST(FuzzInputs, EverySeedRunsClean) {
    ReplayAll(ORVALIS_CORPUS_DIR, "seeds_replayed");
}

// The smallest input that carries the image's boot sector and system area onto its base: the
// sectors up to the last one of 0..63 that differs from the base (the reserve ID copy in the
// last unit stays the base's, as an older copy would).
Bytes Compact(const Bytes& image, bool formattedBase) {
    const Bytes zeros(std::size_t(kImageSize), 0);
    const Bytes& base = formattedBase ? fuzz::FormattedBase() : zeros;
    int last = -1;
    for (int s = 0; s < kFirstDataSector; ++s)
        if (!std::equal(image.begin() + s * kSectorSize, image.begin() + (s + 1) * kSectorSize,
                        base.begin() + s * kSectorSize))
            last = s;
    Bytes input = fuzz::CompactInput(image, last + 1);
    input[0] = formattedBase ? 1 : 0;
    return input;
}

// The formatted base as a flux reader may have recorded it off a worn diskette: sectors out of
// order, files' units lost in every way the format records, a track missing and one cut short,
// the maps, the tracks out of order and second reads of two sectors.
tests::ImdLayout WornImdLayout(const Bytes& image) {
    using tests::ImdSector;
    tests::ImdLayout layout;
    std::mt19937 rng(3);
    for (int t = 0; t < tests::kImdTracks; ++t) {
        auto& order = layout.order[std::size_t(t)];
        order.resize(kSectorsPerTrack);
        std::iota(order.begin(), order.end(), 1);
        std::rotate(order.begin(), order.begin() + t % kSectorsPerTrack, order.end());
    }
    std::shuffle(layout.order[7].begin(), layout.order[7].end(), rng);
    layout.order[10].resize(12);
    layout.sectors[66] = ImdSector::DataError;
    layout.sectors[67] = ImdSector::Deleted;
    layout.sectors[70] = ImdSector::Unavailable;
    layout.sectors[72] = ImdSector::DeletedDataError;
    layout.sectors[75] = ImdSector::WrongId;
    for (int s = 90; s < 108; ++s) layout.sectors[std::size_t(s)] = ImdSector::Absent;
    layout.cylinderMap[3] = true;
    layout.headMap[4] = true;
    layout.trackOrder.resize(tests::kImdTracks);
    std::iota(layout.trackOrder.begin(), layout.trackOrder.end(), 0);
    std::shuffle(layout.trackOrder.begin(), layout.trackOrder.end(), rng);
    auto copyOf = [&](int sector) {
        const auto at = image.begin() + std::ptrdiff_t(sector) * kSectorSize;
        return Bytes(at, at + kSectorSize);
    };
    layout.extras.push_back({65, ImdSector::DataError, copyOf(65)});
    Bytes changed = copyOf(68);
    changed[100] ^= 0xFF;
    layout.extras.push_back({68, ImdSector::Data, changed});
    return layout;
}

TEST(FuzzInputs, SeedsDescribeTheDiskettesTheyCameFrom) {
    // The formatted base itself is the one-byte input 0x01.
    const Bytes one{1};
    EXPECT_TRUE(fuzz::ImageFromInput(one.data(), one.size()) == fuzz::FormattedBase());
    const Bytes image = fuzz::FormattedBase();
    EXPECT_EQ(Compact(image, true).size(), 1u);
    const Bytes input = Compact(image, false);  // the system area onto zero bytes
    const Bytes rebuilt = fuzz::ImageFromInput(input.data(), input.size());
    EXPECT_TRUE(std::equal(rebuilt.begin(), rebuilt.begin() + kFirstDataSector * kSectorSize,
                           image.begin()));

    // A whole image passes as it is.
    EXPECT_TRUE(fuzz::ImageFromInput(image.data(), image.size()) == image);
    const ReadBack back = ReadBackDiskette(std::make_shared<MemoryMedium>(image), false);
    EXPECT_EQ(back.finalCode, 0);
    EXPECT_EQ(back.files.size(), 3u);

    // The ImageDisk seeds: the base as it is, and worn.
    const Bytes imd = tests::WriteImd(image);
    const Bytes wornImd = tests::WriteImd(image, WornImdLayout(image));
    ImdDiskette read;
    std::string error;
    ASSERT_TRUE(ParseImd(imd.data(), imd.size(), read, error)) << error;
    EXPECT_TRUE(read.data == image);
    EXPECT_TRUE(read.readable.all());
    ASSERT_TRUE(ParseImd(wornImd.data(), wornImd.size(), read, error)) << error;
    // Lost: 66, 68 (its reads differ), 70, 72, 75, the track of 90..107 and 6 of track 10.
    EXPECT_EQ(read.readable.count(), std::size_t(kSectorCount - 5 - 18 - 6));
    for (std::size_t s = 0; s < std::size_t(kSectorCount); ++s)
        if (read.readable[s]) {
            EXPECT_TRUE(std::equal(image.begin() + long(s) * kSectorSize,
                                   image.begin() + long(s + 1) * kSectorSize,
                                   read.data.begin() + long(s) * kSectorSize))
                << "sector " << s;
        }
    // The fuzzer takes inputs of up to 64 KiB.
    EXPECT_LE(wornImd.size(), 65536u);

    const char* dir = std::getenv("ORVALIS_WRITE_FUZZ_SEEDS");
    if (!dir) return;
    auto write = [&](const std::string& name, const Bytes& bytes) {
        tests::WriteBytes((fs::path(dir) / name).string(), bytes);
    };
    write("formatted-with-files", one);
    write("imd-formatted-with-files", imd);
    write("imd-worn", wornImd);
    write("formatted-with-files-whole-system-area", fuzz::CompactInput(image, 64));
    {
        // Blank diskette, quick format: the system area on zero bytes.
        write("blank-quick-format", Compact(FormattedDiskette("SEED")->Bytes(), false));
    }
    {
        // A table sector whose place refused a write moved into the spare sectors.
        auto m = std::make_shared<MemoryMedium>(image);
        m->Faults().Set(4, Fault::Unwritable);
        Rig rig(m);
        EXPECT_EQ(rig.Open(), 0);
        EXPECT_EQ(rig.Delete("alpha.txt"), 0);
        m->Faults().Clear();
        write("table-sector-moved", Compact(m->Bytes(), true));
    }
    {
        // A table write cut short: copy 1 of table sector 0 no longer lists gamma.bin.
        Bytes cut = image;
        CDrive drive;
        auto m = std::make_shared<MemoryMedium>(image);
        drive.InsertMedium(m);
        CVolume volume(&drive);
        ASSERT_TRUE(tests::OpenVolume(volume));
        std::vector<FileRecord> files;
        (void)volume.ListFiles(files);
        for (const FileRecord& r : files)
            if (r.name == "gamma") volume.ReleaseFile(r.fileNumber);
        EncodeFatSector(volume.Fat().entries.data(),
                        cut.data() + volume.Fat().pos1[0] * kSectorSize);
        write("table-write-cut-short", Compact(cut, true));
    }
    {
        // After a full format of a diskette with bad sectors in the system area.
        auto m = std::make_shared<MemoryMedium>();
        m->Faults().SetRange(2, 5, Fault::Bad);
        m->Faults().Set(20, Fault::Bad);
        EXPECT_EQ(RunFormat(m, true).result, 0);
        m->Faults().Clear();
        write("full-format-around-bad-sectors", Compact(m->Bytes(), false));
    }
}

}  // namespace
}  // namespace orv::reliability

// ImageDisk files in the drive: every sector reads exactly as the file records it, and a file
// that cannot be this diskette is refused with what was found.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "disk/drive.h"
#include "disk/imd_medium.h"
#include "support/imd_writer.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::Bytes;
using tests::ImdExtraCopy;
using tests::ImdLayout;
using tests::ImdSector;
using tests::ImdTrack;
using tests::TempDir;

// Random diskette bytes, with the runs of one repeated byte that formatted diskettes are full of.
Bytes RandomImage(std::mt19937& rng) {
    Bytes image(static_cast<std::size_t>(kImageSize));
    std::uniform_int_distribution<int> byte(0, 255);
    for (int s = 0; s < kSectorCount; ++s) {
        const auto at = image.begin() + std::ptrdiff_t(s) * kSectorSize;
        if (byte(rng) < 128) {
            std::fill_n(at, kSectorSize, std::uint8_t(byte(rng) < 200 ? 0 : byte(rng)));
        } else {
            for (int i = 0; i < kSectorSize; ++i) at[i] = std::uint8_t(byte(rng));
        }
    }
    return image;
}

// The model: a sector reads when the file holds a readable copy of it, placed where its ID
// says, and no two such copies differ.
struct Expected {
    bool readable = false;
    Bytes data;
};

std::vector<Expected> ExpectedSectors(const Bytes& image, const ImdLayout& layout) {
    std::vector<std::vector<Bytes>> copies(kSectorCount);
    for (int s = 0; s < kSectorCount; ++s)
        if (tests::ImdSectorReads(layout.sectors[std::size_t(s)])) {
            const auto at = image.begin() + std::ptrdiff_t(s) * kSectorSize;
            copies[std::size_t(s)].emplace_back(at, at + kSectorSize);
        }
    for (const ImdExtraCopy& extra : layout.extras)
        if (tests::ImdSectorReads(extra.status))
            copies[std::size_t(extra.sector)].push_back(extra.data);
    std::vector<Expected> expected(kSectorCount);
    for (int s = 0; s < kSectorCount; ++s) {
        const auto& c = copies[std::size_t(s)];
        if (c.empty() || std::any_of(c.begin(), c.end(), [&](const Bytes& b) { return b != c[0]; }))
            continue;
        expected[std::size_t(s)] = {true, c[0]};
    }
    return expected;
}

TEST(ImdMedium, EverySectorReadsAsTheFileRecordsIt) {
    TempDir dir;
    std::mt19937 rng(20240211);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Bytes image = RandomImage(rng);
        const ImdLayout layout = round == 0 ? ImdLayout{} : tests::RandomImdLayout(image, rng);
        const std::string path = dir.File("disk" + std::to_string(round) + ".img");
        tests::WriteBytes(path, tests::WriteImd(image, layout));

        // Found by its content, whatever its name.
        std::string error;
        const auto medium = LoadMedium(path, error);
        ASSERT_TRUE(medium) << error;
        ASSERT_NE(medium->WriteRefusal(), "");

        const std::vector<Expected> expected = ExpectedSectors(image, layout);
        Bytes sector(kSectorSize);
        int readable = 0;
        for (int s = 0; s < kSectorCount; ++s) {
            const Expected& e = expected[std::size_t(s)];
            const Status read = medium->Read(s, 1, sector.data());
            ASSERT_EQ(read.Ok(), e.readable) << "sector " << s;
            if (read) {
                ASSERT_EQ(sector, e.data) << "sector " << s;
                ++readable;
            } else {
                ASSERT_EQ(read.Error(), IoError::Unreadable) << "sector " << s;
            }
        }
        if (round == 0) {
            EXPECT_EQ(readable, kSectorCount);
        }

        // A request fails as a whole when any of its sectors does.
        std::uniform_int_distribution<int> first(0, kSectorCount - 1);
        for (int r = 0; r < 50; ++r) {
            const int f = first(rng);
            const int count =
                std::min(kSectorCount - f, std::uniform_int_distribution<int>(2, 36)(rng));
            Bytes run(std::size_t(count) * kSectorSize);
            const bool all = std::all_of(expected.begin() + f, expected.begin() + f + count,
                                         [](const Expected& e) { return e.readable; });
            ASSERT_EQ(medium->Read(f, count, run.data()).Ok(), all) << f << "+" << count;
            for (int s = f; all && s < f + count; ++s)
                ASSERT_TRUE(std::equal(run.begin() + std::ptrdiff_t(s - f) * kSectorSize,
                                       run.begin() + std::ptrdiff_t(s - f + 1) * kSectorSize,
                                       expected[std::size_t(s)].data.begin()))
                    << "sector " << s;
        }
        EXPECT_EQ(medium->Write(0, 1, sector.data()).Error(), IoError::WriteProtected);
    }
}

// A one-track file whose track the case changes.
Bytes OneTrackFile(const std::function<void(ImdTrack&)>& change) {
    ImdTrack track;
    track.cylinder = 3;
    track.head = 1;
    const Bytes sector(kSectorSize, 0xE5);
    for (int n = 1; n <= kSectorsPerTrack; ++n) {
        track.numbers.push_back(std::uint8_t(n));
        track.records.push_back(tests::ImdRecord(IMD_DATA, sector.data(), n % 2 == 0));
    }
    change(track);
    Bytes file = tests::ImdHeader("one track\r\n");
    tests::AppendImdTrack(file, track);
    return file;
}

TEST(ImdMedium, FileThatCannotBeThisDisketteIsRefusedNamingWhatWasFound) {
    const Bytes good = OneTrackFile([](ImdTrack&) {});
    auto cut = [&](std::size_t keep) { return Bytes(good.begin(), good.begin() + long(keep)); };
    const std::size_t header = tests::ImdHeader("one track\r\n").size();
    struct Case {
        const char* what;
        Bytes file;
        const char* expected;  // a part of the message; null: accepted
    };
    const Case cases[] = {
        {"a sound track", good, nullptr},
        {"sectors of 1024 bytes", OneTrackFile([](ImdTrack& t) { t.sizeCode = 3; }),
         "cylinder 3, head 1 holds sectors of 1024 bytes (size code 3)"},
        {"a size table instead of a size", OneTrackFile([](ImdTrack& t) { t.sizeCode = 0xFF; }),
         "(size code 255)"},
        {"an empty track of any size", OneTrackFile([](ImdTrack& t) {
             t.sizeCode = 0;
             t.numbers.clear();
             t.records.clear();
         }),
         nullptr},
        {"another mode", OneTrackFile([](ImdTrack& t) { t.mode = 5; }), nullptr},
        {"cylinder 80", OneTrackFile([](ImdTrack& t) { t.cylinder = 80; }),
         "track 1 of the file is on cylinder 80"},
        {"head 2", OneTrackFile([](ImdTrack& t) { t.head = 2; }),
         "track 1 of the file is on head 2"},
        {"sector 0", OneTrackFile([](ImdTrack& t) { t.numbers[4] = 0; }),
         "cylinder 3, head 1 holds a sector numbered 0"},
        {"sector 19", OneTrackFile([](ImdTrack& t) { t.numbers[17] = 19; }),
         "holds a sector numbered 19"},
        {"a record type ImageDisk lacks", OneTrackFile([](ImdTrack& t) { t.records[2] = {9}; }),
         "cylinder 3, head 1, sector 3 has a record of type 9"},
        {"no end of the comment", Bytes(good.begin(), good.begin() + long(header) - 1),
         "cut short: it ends inside its comment"},
        {"cut in a track header", cut(header + 3), "ends inside the header of track 1"},
        {"cut in the numbering map", cut(header + 5 + 10),
         "ends inside the sector maps of cylinder 3, head 1"},
        {"cut in a sector", cut(good.size() - 1), "ends inside cylinder 3, head 1, sector 18"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.File("case.imd");
        tests::WriteBytes(path, c.file);
        std::string error;
        const auto medium = LoadMedium(path, error);
        if (!c.expected) {
            EXPECT_TRUE(medium) << error;
            continue;
        }
        EXPECT_FALSE(medium);
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(tests::ReadBytes(path), c.file);
    }
}

TEST(ImdMedium, HeldFileRefusesAnotherProgram) {
    TempDir dir;
    const std::string path = dir.File("held.imd");
    tests::WriteBytes(path, tests::WriteImd(Bytes(std::size_t(kImageSize), 0)));
    std::string error;
    ImdMedium mine, theirs;
    ASSERT_TRUE(mine.Load(path, error)) << error;
    ASSERT_TRUE(theirs.Load(path, error)) << error;
    ASSERT_TRUE(mine.Lock(error)) << error;
    EXPECT_FALSE(theirs.Lock(error));
    EXPECT_NE(error.find("is in use by another program"), std::string::npos) << error;
    Bytes sector(kSectorSize);
    EXPECT_EQ(theirs.Read(0, 1, sector.data()).Error(), IoError::InUse);
    mine.Unlock();
    EXPECT_TRUE(theirs.Read(0, 1, sector.data()));
}

}  // namespace
}  // namespace orv

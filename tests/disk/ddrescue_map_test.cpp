// GNU ddrescue mapfiles: read as ddrescuelog reads them, written so that ddrescue goes on from
// them, and found beside their images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "disk/ddrescue_map.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::ReadBytes;
using tests::TempDir;
using tests::WriteBytes;
using tests::WriteText;

// The sectors listed, as a set.
SectorBits Sectors(std::initializer_list<int> list) {
    SectorBits bits;
    for (int s : list) bits.set(std::size_t(s));
    return bits;
}

SectorBits AllBut(std::initializer_list<int> list) {
    return ~Sectors(list);
}

struct ParseCase {
    const char* what;
    std::string text;
    bool ok;
    SectorBits readable;  // when ok
    int line;             // when refused: the line named
    std::string reason;   // when refused: a part of the reason
};

// A mapfile that parses into these readable sectors.
ParseCase Case(const char* what, std::string text, SectorBits readable) {
    return {what, std::move(text), true, readable, 0, {}};
}
// One refused at this line, for this reason.
ParseCase Case(const char* what, std::string text, int line, std::string reason) {
    return {what, std::move(text), false, {}, line, std::move(reason)};
}

TEST(DdrescueMap, ParsesAsDdrescuelogReadsAndRefusesWithTheLine) {
    const std::string status = "0x00000000 + 1\n";
    const ParseCase cases[] = {
        Case("ddrescue's own layout, every comment",
             "# Mapfile. Created by GNU ddrescue version 1.27\n"
             "# Command line: ddrescue -d /dev/fd0 disk.img disk.map\n"
             "# current_pos  current_status  current_pass\n"
             "0x00008200     -               2\n"
             "#      pos        size  status\n"
             "0x00000000  0x00008000  +\n"
             "0x00008000  0x00000200  -\n"
             "0x00008200  0x0015FE00  +\t#  33 kB  1441 kB\n",
             AllBut({64})),
        Case("decimal, octal and hex, blank lines, CR LF",
             "\n  0 ?\r\n\n0 512 +\r\n512 02000 *\n0x600 1473024 +\n", AllBut({1, 2})),
        Case("status line without its pass", "1024 /\n0 1474560 +\n", ~SectorBits()),
        Case("phase F with its pass", "0 F 3\n0 1474560 +\n", ~SectorBits()),
        Case("phase *", "0 * 1\n0 1474560 +\n", ~SectorBits()),
        Case("phase G", "0 G\n0 1474560 +\n", ~SectorBits()),
        Case("each block status but + is unreadable",
             status + "0 512 ?\n512 512 *\n1024 512 /\n1536 512 -\n2048 1472512 +\n",
             AllBut({0, 1, 2, 3})),
        Case("a sector is read only wholly inside + blocks",
             status + "0 700 +\n700 100 -\n800 1473760 +\n", AllBut({1})),
        Case("adjacent + blocks make a whole sector", status + "0 100 +\n100 1474460 +\n",
             ~SectorBits()),
        Case("a comment right after the data", status + "0 1474560 +# done\n", ~SectorBits()),
        Case("a zero-sized first block", status + "0 0 ?\n0 1474560 -\n", SectorBits()),
        Case("past the end only what is not finished",
             status + "0 1474560 +\n1474560 0x7FFFFFFFFFFF ?\n", ~SectorBits()),
        Case("a block that runs over the end, not finished",
             status + "0 1474048 +\n1474048 4096 -\n", AllBut({2879})),

        Case("empty text", "", 1, "no status line"),
        Case("comments only", "# one\n# two\n", 2, "no status line"),
        Case("status line with one word", "0\n0 1474560 +\n", 1, "bad status line"),
        Case("unknown phase letter", "0 x 1\n", 1, "unknown status 'x'"),
        Case("pass 0", "0 + 0\n0 1474560 +\n", 1, "bad pass '0'"),
        Case("pass in hex", "0 + 0x2\n0 1474560 +\n", 1, "bad pass"),
        Case("words after the pass", "0 + 1 x\n", 1, "bad status line"),
        Case("negative position", status + "-512 512 +\n", 2, "negative"),
        Case("bad number", status + "0 12z +\n", 2, "bad number '12z'"),
        Case("bad octal", status + "0 08 +\n", 2, "bad number '08'"),
        Case("number too large", status + "0 0xFFFFFFFFFFFFFFFFF +\n", 2, "too large"),
        Case("missing status", status + "0 1474560\n", 2, "bad block line"),
        Case("extra word", status + "0 1474560 + x\n", 2, "bad block line"),
        Case("phase letter as a block status", status + "0 1474560 F\n", 2,
             "unknown block status 'F'"),
        Case("two letters", status + "0 1474560 ++\n", 2, "unknown block status"),
        Case("empty block after 0", status + "0 512 +\n512 0 +\n", 3, "size 0"),
        Case("not from byte 0", status + "512 1474048 +\n", 2, "not 0"),
        Case("a gap", status + "0 512 +\n# ok\n1024 1473536 +\n", 4, "gap"),
        Case("an overlap", status + "0 1024 +\n512 1474048 +\n", 3, "overlap"),
        Case("short coverage", status + "0 512 +\n512 1000000 -\n", 3, "short of"),
        Case("no blocks", "# x\n0 ?\n", 2, "short of"),
        Case("finished past the end", status + "0 1474560 -\n1474560 512 +\n", 3, "past the end"),
    };
    for (const ParseCase& c : cases) {
        DdrescueMap map;
        map.readable.set(7);
        std::string error;
        const bool ok = ParseMapfile(c.text, "d.map", map, error);
        ASSERT_EQ(ok, c.ok) << c.what << ": " << error;
        if (ok) {
            EXPECT_EQ(map.readable, c.readable) << c.what;
            continue;
        }
        EXPECT_EQ(error.rfind("d.map:" + std::to_string(c.line) + ": ", 0), 0u)
            << c.what << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_TRUE(map.readable.test(7)) << c.what << ": a refused map changed the output";
    }
}

std::string Number(std::int64_t v, int style) {
    std::ostringstream s;
    if (style == 0) s << v;
    if (style == 1) s << "0x" << std::hex << std::uppercase << v;
    if (style == 2) s << "0" << std::oct << v;  // "00" for 0: still octal zero
    return s.str();
}

TEST(DdrescueMap, RandomSetsAndBlockListsReadBackAsAReferenceReadsThem) {
    std::mt19937 rng(2113);
    for (int round = 0; round < 200; ++round) {
        // Sectors -> mapfile -> the same sectors.
        SectorBits read;
        const int density = int(rng() % 5);
        for (int s = 0; s < kSectorCount; ++s)
            if (density == 4 ? true : int(rng() % 4) >= density) read.set(std::size_t(s));
        const char unread = rng() % 2 ? '-' : '?';
        DdrescueMap back;
        std::string error;
        ASSERT_TRUE(ParseMapfile(FormatMapfile(read, "round " + std::to_string(round), unread),
                                 "f.map", back, error))
            << error;
        ASSERT_EQ(back.readable, read) << "round " << round;

        // A ddrescue-style block list of any granularity -> a sector reads when all its bytes
        // are in '+' blocks.
        std::vector<char> bytes(static_cast<std::size_t>(kImageSize));
        std::string text = "# random list\n" + Number(rng() % 5000, int(rng() % 3)) + " " +
                           std::string(1, "?*/-FG+"[rng() % 7]) + (rng() % 2 ? " 1\n" : "\n");
        std::int64_t at = 0;
        while (at < kImageSize) {
            const std::int64_t size = rng() % 3 == 0 ? 1 + std::int64_t(rng() % 1500)
                                                     : std::int64_t(kSectorSize) * (1 + rng() % 40);
            const std::int64_t end = std::min<std::int64_t>(at + size, kImageSize);
            const char status = "?*/-+++"[rng() % 7];
            std::fill(bytes.begin() + at, bytes.begin() + end, status);
            text += Number(at, int(rng() % 3)) + "  " + Number(end - at, int(rng() % 3)) + "  " +
                    status + (rng() % 4 == 0 ? "  # note\n" : "\n");
            at = end;
        }
        SectorBits expected;
        for (int s = 0; s < kSectorCount; ++s) {
            const auto first = bytes.begin() + std::ptrdiff_t(s) * kSectorSize;
            expected.set(std::size_t(s),
                         std::all_of(first, first + kSectorSize, [](char c) { return c == '+'; }));
        }
        DdrescueMap parsed;
        ASSERT_TRUE(ParseMapfile(text, "r.map", parsed, error)) << error << "\n" << text;
        ASSERT_EQ(parsed.readable, expected) << "round " << round << "\n" << text;
    }
}

bool HaveProgram(const char* name) {
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

TEST(DdrescueMap, DdrescueGoesOnFromOurMapfileWithOnlyTheSectorsThatNeverRead) {
    if (!HaveProgram("ddrescue") || !HaveProgram("ddrescuelog"))
        GTEST_SKIP() << "GNU ddrescue is not installed (Debian: gddrescue); skipped";
    TempDir dir;
    const SectorBits read = AllBut({0, 5, 6, 7, 1000, 2879});
    const std::string map = dir.File("disk.map");
    WriteText(map, FormatMapfile(read, "test\nof ddrescue"));

    // ddrescuelog lists exactly the sectors that never read as bad, the rest as finished.
    EXPECT_EQ(Output("ddrescuelog -l- " + map), "0\n5\n6\n7\n1000\n2879\n");
    std::istringstream finished(Output("ddrescuelog -l+ " + map));
    int count = 0;
    for (int s; finished >> s; ++count) EXPECT_TRUE(read.test(std::size_t(s))) << s;
    EXPECT_EQ(count, int(read.count()));

    // ddrescue reading on from it copies those sectors only.
    std::vector<std::uint8_t> source(static_cast<std::size_t>(kImageSize));
    std::mt19937 rng(7);
    for (auto& b : source) b = std::uint8_t(1 + rng() % 255);
    WriteBytes(dir.File("source.img"), source);
    WriteBytes(dir.File("out.img"), std::vector<std::uint8_t>(std::size_t(kImageSize), 0));
    const std::string command = "ddrescue -q -r3 " + dir.File("source.img") + " " +
                                dir.File("out.img") + " " + map + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<std::uint8_t> out = ReadBytes(dir.File("out.img"));
    ASSERT_EQ(out.size(), source.size());
    for (int s = 0; s < kSectorCount; ++s) {
        const auto at = std::ptrdiff_t(s) * kSectorSize;
        const bool copied =
            std::equal(out.begin() + at, out.begin() + at + kSectorSize, source.begin() + at);
        EXPECT_EQ(copied, !read.test(std::size_t(s))) << "sector " << s;
    }
    // And what it writes back we read as all read.
    DdrescueMap after;
    std::string error;
    ASSERT_TRUE(ReadMapfile(map, after, error)) << error;
    EXPECT_TRUE(after.readable.all());
}

TEST(DdrescueMap, TheMapfileBesideAnImageIsImageDotMapElseStemDotMap) {
    TempDir dir;
    const std::string image = dir.File("disk.img");
    EXPECT_EQ(FindMapfile(image), "");
    WriteText(dir.File("disk.map"), "x");
    EXPECT_EQ(FindMapfile(image), dir.File("disk.map"));
    WriteText(dir.File("disk.img.map"), "x");
    EXPECT_EQ(FindMapfile(image), dir.File("disk.img.map"));
    // Never the file itself, and never a folder.
    EXPECT_EQ(FindMapfile(dir.File("disk.map")), "");
    std::filesystem::create_directory(dir.File("raw.map"));
    EXPECT_EQ(FindMapfile(dir.File("raw")), "");
    WriteText(dir.File("plain.map"), "x");
    EXPECT_EQ(FindMapfile(dir.File("plain")), dir.File("plain.map"));
}

}  // namespace
}  // namespace orv

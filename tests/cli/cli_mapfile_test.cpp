// orvalis-cli with GNU ddrescue mapfiles: named with --mapfile or found beside the image, refused
// when they do not parse, taken by scan and merge, and written and gone on from by image.
#include <filesystem>

#include "cli_fixture.h"
#include "disk/ddrescue_map.h"

namespace orv::tests {
namespace {

// A mapfile as ddrescue writes one: the sectors listed as bad, every other one finished.
std::string Mapfile(std::initializer_list<int> bad, int readEnd = kSectorCount) {
    std::string text = "# Mapfile. Created by GNU ddrescue version 1.27\n0x00000000 + 1\n";
    std::int64_t at = 0;
    auto block = [&](int endSector, char status) {
        const std::int64_t end = std::int64_t(endSector) * kSectorSize;
        if (end > at)
            text += std::to_string(at) + " " + std::to_string(end - at) + " " + status + "\n";
        at = end;
    };
    for (int s : bad) {
        block(s, '+');
        block(s + 1, '-');
    }
    block(readEnd, '+');
    block(kSectorCount, '-');
    return text;
}

SectorBits ReadIn(const std::string& mapfile) {
    DdrescueMap map;
    std::string error;
    EXPECT_TRUE(ReadMapfile(mapfile, map, error)) << error;
    return map.readable;
}

SectorBits AllBut(std::initializer_list<int> list) {
    SectorBits bits;
    for (int s : list) bits.set(std::size_t(s));
    return ~bits;
}

class CliMapfile : public Cli {
protected:
    void SetUp() override {
        ASSERT_EQ(Cmd("--drive " + disk + " add " + Host("doc.bin", data)).status, 0);
    }
    std::vector<std::uint8_t> data = Pattern(3000, 3);  // seven units, sectors 64..70
    std::string disk = Formatted("disk.img", "ARCHIVE");
};

TEST_F(CliMapfile, ReadsAsTheMapfileNamedOrBesideSaysAndRefusesOneThatDoesNotParse) {
    // Found beside the image: the sector it gives as bad does not read.
    WriteText(dir.File("disk.map"), Mapfile({66}));
    const std::string json = dir.File("r.json"), back = dir.File("back.bin");
    CliRun run =
        Cmd("--drive " + disk + " --answer ok copy doc.bin " + back + " --report-json " + json);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(Slurp(json))["bad"][0]["position"], 2);
    // One named wins over the one beside.
    WriteText(dir.File("good.map"), Mapfile({}));
    std::filesystem::remove(back);
    run = Cmd("--drive " + disk + " --mapfile " + dir.File("good.map") + " copy doc.bin " + back);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(back), data);

    // A mapfile that does not parse, or does not cover the diskette: refused with its file and
    // line, and nothing is done.
    const auto before = ReadBytes(disk);
    const std::string bad = dir.File("bad.map");
    WriteText(bad, "0 +\n0 512 +\n1024 1473536 +\n");
    run = Cmd("--drive " + disk + " --mapfile " + bad + " --yes add " + Host("new.bin", {1, 2}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(bad + ":3: gap"), std::string::npos) << run.err;
    WriteText(dir.File("disk.map"), "0 +\n0 1000 +\n");
    run = Cmd("--drive " + disk + " --yes delete doc.bin");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(dir.File("disk.map") + ":2: the blocks end at byte"), std::string::npos)
        << run.err;
    run = Cmd("--drive " + disk + " --mapfile " + dir.File("missing.map") + " list");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(dir.File("missing.map")), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(disk), before);
    std::filesystem::remove(dir.File("disk.map"));

    // ddrescue's short output: what it lacks does not read, what it holds does.
    const std::string shortImage = Host("short.img", {before.begin(), before.begin() + 71 * 512});
    EXPECT_EQ(Cmd("--drive " + shortImage + " list").status, 1);
    WriteText(dir.File("short.map"), Mapfile({}, 71));
    std::filesystem::remove(back);
    run = Cmd("--drive " + shortImage + " copy doc.bin " + back);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(back), data);

    // In a batch, insert takes the mapfile of what it puts into the drive.
    std::filesystem::rename(dir.File("short.map"), dir.File("elsewhere.map"));
    run = Batch("--drive " + disk,
                "insert " + shortImage + " --mapfile " + dir.File("elsewhere.map") +
                    "\nlist --json\ninsert " + disk + " --mapfile " + bad + "\nlist\n",
                "--keep-going");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("doc.bin"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(bad + ":3: gap"), std::string::npos) << run.err;

    // scan takes a short image that its mapfile describes, and no other short file beside
    // that mapfile; merge reads its input by it.
    const std::filesystem::path box = dir.Path() / "box";
    std::filesystem::create_directories(box);
    std::filesystem::copy_file(shortImage, box / "short.img");
    std::filesystem::copy_file(dir.File("elsewhere.map"), box / "short.map");
    WriteText((box / "short.txt").string(), "notes of the archivist\n");
    WriteText((box / "short.img.faults").string(), "unwritable 5\n");
    run = Cmd("scan --json " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    ASSERT_EQ(j["images"].size(), 1u) << run.out;
    EXPECT_EQ(j["images"][0]["path"], (box / "short.img").string());
    EXPECT_EQ(j["images"][0]["files"][0]["status"], "intact");
    run = Cmd("merge " + dir.File("merged.img") + " " + (box / "short.img").string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(Slurp(dir.File("merged.img.faults")).find("unreadable 71-2879"), std::string::npos);
}

TEST_F(CliMapfile, ImageWritesADdrescueMapfileAndGoesOnFromOneAsFromItsSidecar) {
    WriteText(disk + ".faults", "unreadable 70\nbad 100-104\n");
    const std::string out = dir.File("out.img"), map = dir.File("out.map");
    CliRun run = Cmd("--drive " + disk + " image --json " + out + " --mapfile " + map);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        nlohmann::json::parse(run.out),
        nlohmann::json::parse(
            R"({"sectors": 2880, "read": 2874, "unreadable": [70, 100, 101, 102, 103, 104]})"));
    EXPECT_FALSE(std::filesystem::exists(out + ".faults"));
    EXPECT_EQ(ReadIn(map), AllBut({70, 100, 101, 102, 103, 104}));

    // Later, in a better drive: only what the mapfile gives as not read is read.
    WriteText(disk + ".faults", "unreadable 70\n");
    run = Cmd("--drive " + disk + " image " + out + " --mapfile " + map);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("This run read 5 of the 6 sectors still listed"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("('-' in " + map + "): 70"), std::string::npos) << run.out;
    EXPECT_EQ(ReadIn(map), AllBut({70}));

    // A ddrescue run that left its output short, sector 500 unread: image goes on from it.
    std::filesystem::remove(disk + ".faults");
    const auto whole = ReadBytes(disk);
    auto partial = std::vector<std::uint8_t>(whole.begin(), whole.begin() + 1000 * 512);
    std::fill(partial.begin() + 500 * 512, partial.begin() + 501 * 512, 0);
    const std::string rescued = Host("rescued.img", partial);
    WriteText(dir.File("rescued.map"), Mapfile({500}, 1000));
    run = Cmd("--drive " + disk + " image " + rescued + " --mapfile " + dir.File("rescued.map"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("This run read 1881 of the 1881 sectors still listed"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadBytes(rescued), whole);
    EXPECT_TRUE(ReadIn(dir.File("rescued.map")).all());

    // An existing image without its record is never written on; nor is a mapfile without its
    // image.
    const std::string plain = Host("plain.img", Pattern(std::size_t(kImageSize), 2));
    run = Cmd("--drive " + disk + " image " + plain + " --mapfile " + dir.File("plain.map"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("without its mapfile"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(plain), Pattern(std::size_t(kImageSize), 2));
    run = Cmd("--drive " + disk + " image " + dir.File("new.img") + " --mapfile " + map);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.img")));
    EXPECT_EQ(ReadIn(map), AllBut({70}));
}

}  // namespace
}  // namespace orv::tests

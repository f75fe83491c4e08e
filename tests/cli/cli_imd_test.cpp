// orvalis-cli on an ImageDisk file in the drive: everything that reads works, every write is
// refused before anything is done, and a merge makes an image that takes writes.
#include <filesystem>
#include <random>

#include "cli_fixture.h"
#include "support/imd_writer.h"

namespace orv::tests {
namespace {

TEST_F(Cli, ImageDiskFileReadsAsItsDisketteAndRefusesEveryWrite) {
    const std::string img = Formatted("plain.img", "ARCHIVE");
    const Bytes notes = Pattern(300, 1), big = Pattern(20000, 2);
    ASSERT_EQ(
        Cmd("--drive " + img + " add " + Host("notes.txt", notes) + " " + Host("big.bin", big))
            .status,
        0);
    // As a flux reader wrote it: sectors in the order they passed the head, and two of big.bin's
    // units lost. big.bin's units follow notes.txt's one: its chain position p is sector 65 + p.
    ImdLayout layout;
    std::mt19937 rng(7);
    for (auto& order : layout.order) {
        order.resize(kSectorsPerTrack);
        std::iota(order.begin(), order.end(), 1);
        std::shuffle(order.begin(), order.end(), rng);
    }
    layout.sectors[70] = ImdSector::DataError;
    layout.sectors[80] = ImdSector::Unavailable;
    std::filesystem::create_directory(dir.File("box"));
    const std::string imd = dir.File("box/worn.imd");
    WriteBytes(imd, WriteImd(ReadBytes(img), layout));
    const Bytes before = ReadBytes(imd);

    EXPECT_EQ(ListJson(imd), ListJson(img));
    CliRun run = Cmd("--drive " + imd + " info --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["label"], "ARCHIVE");
    ASSERT_EQ(Cmd("--drive " + imd + " copy notes.txt " + dir.File("notes.out")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("notes.out")), notes);
    run = Cmd("--drive " + imd + " --answer ok copy big.bin " + dir.File("big.out") +
              " --report-json " + dir.File("big.json"));
    const auto report = nlohmann::json::parse(Slurp(dir.File("big.json")));
    std::vector<int> bad;
    for (const auto& piece : report["bad"]) bad.push_back(piece["position"]);
    EXPECT_EQ(bad, (std::vector<int>{5, 15})) << run.err;
    EXPECT_EQ(Cmd("--drive " + imd + " service test").status, 0);

    // Every write is refused before anything is done: the message says how to go on.
    const std::string mergeHint = "orvalis-cli merge OUT.img " + imd;
    const std::string writes[] = {
        "add " + Host("new.txt", Pattern(10, 3)),
        "--answer yes delete notes.txt",
        "format --label NEW",
        "service full",
        "service repair0",
        "--answer ok --answer yes copy --mark big.bin " + dir.File("big2.out"),
    };
    for (const std::string& command : writes) {
        SCOPED_TRACE(command);
        run = Cmd("--drive " + imd + " " + command);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("only reads"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(mergeHint), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Are you sure"), std::string::npos) << "asked before refusing";
        EXPECT_EQ(ReadBytes(imd), before);
    }

    // Nor does it take the rest of a file spread from a full diskette.
    const std::string full = Formatted("full.img", "FULL");
    ASSERT_EQ(Cmd("--drive " + full + " add " + Host("fill.bin", Pattern(1420000, 4))).status, 0);
    run = Cmd("--drive " + full + " --then " + imd + " --answer yes add " + dir.File("big.bin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(mergeHint), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(imd), before);

    // Among the images of a box, found by its content.
    run = Cmd("scan --json " + dir.File("box"));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto scan = nlohmann::json::parse(run.out);
    ASSERT_EQ(scan["images"].size(), 1u);
    EXPECT_EQ(scan["images"][0]["files"][1]["bad"], nlohmann::json::parse("[5, 15]"));

    // The way to a diskette that takes writes: its sectors merged into a plain image, the two
    // lost ones listed as unreadable.
    const std::string out = dir.File("writable.img");
    run = Cmd("merge " + out + " " + imd);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(Slurp(out + ".faults").find("unreadable 70\nunreadable 80\n"), std::string::npos);
    ASSERT_EQ(Cmd("--drive " + out + " add " + dir.File("new.txt")).status, 0);
    EXPECT_EQ(ListJson(out).size(), 3u);
    EXPECT_EQ(ReadBytes(imd), before);
}

}  // namespace
}  // namespace orv::tests

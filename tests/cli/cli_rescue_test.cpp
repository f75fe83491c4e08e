// orvalis-cli image, merge, rescue and scan end to end, on image files with .faults sidecars.
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "cli_fixture.h"
#include "transfer/report_reader.h"

namespace orv::tests {
namespace {

class CliRescue : public Cli {
protected:
    std::string Sidecar(const std::string& image) {
        std::istringstream in(Slurp(image + ".faults"));
        std::string rules;
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#') rules += line + "\n";
        return rules;
    }
    // A one-unit file put straight into a formatted image, under any name at all.
    void PutSmallFile(const std::string& image, int sector, const FileRecord& record,
                      const std::vector<std::uint8_t>& data) {
        CDrive drive;
        std::string error;
        ASSERT_TRUE(drive.Insert(image, error)) << error;
        CVolume volume(&drive);
        ASSERT_TRUE(OpenVolume(volume));
        SectorImage unit{};
        CVolume::BuildHeader(record, unit.data());
        std::copy(data.begin(), data.end(), unit.begin() + kHeaderSize);
        ASSERT_TRUE(volume.WriteSector(sector, unit.data()));
        volume.SetUnits(sector, record.fileNumber, 1);
        ASSERT_TRUE(volume.WriteFat());
    }
};

TEST_F(CliRescue, ImageListsWhatDidNotReadGoesOnLaterAndMergesWithAnotherRead) {
    const std::string a = Formatted("a.img", "WORN");
    ASSERT_EQ(Cmd("--drive " + a + " add " + Host("doc.bin", Pattern(20000, 1))).status, 0);
    WriteText(a + ".faults", "unreadable 70\nbad 100-104\n");
    const std::string out = dir.File("out.img");
    CliRun run = Cmd("--drive " + a + " image --json " + out);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        nlohmann::json::parse(run.out),
        nlohmann::json::parse(
            R"({"sectors": 2880, "read": 2874, "unreadable": [70, 100, 101, 102, 103, 104]})"));
    EXPECT_EQ(Sidecar(out), "unreadable 70\nunreadable 100-104\n");

    // The diskette, later, in a better drive: only 70 still fails.
    WriteText(a + ".faults", "unreadable 70\n");
    run = Cmd("--drive " + a + " image " + out);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("This run read 5 of the 6 sectors still listed"), std::string::npos)
        << run.out;
    EXPECT_EQ(Sidecar(out), "unreadable 70\n");

    // A file without a sidecar is no partial image: refused, untouched.
    const std::string plain = Host("plain.img", Pattern(std::size_t(kImageSize), 2));
    EXPECT_EQ(Cmd("--drive " + a + " image " + plain).status, 1);
    EXPECT_EQ(ReadBytes(plain), Pattern(std::size_t(kImageSize), 2));

    // Another read of the diskette, whose faults lie elsewhere, fills in sector 70.
    const std::string b = Host("b.img", ReadBytes(a));
    WriteText(b + ".faults", "unreadable 60-69\n");
    run = Cmd("merge " + dir.File("m.img") + " " + out + " " + b);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("m.img.faults")));
    EXPECT_EQ(ReadBytes(dir.File("m.img")), ReadBytes(a));
    // A sector that no read has: the summary names the file that lists it, and that file does.
    const std::string c = Host("c.img", ReadBytes(a));
    WriteText(c + ".faults", "unreadable 70\n");
    run = Cmd("merge " + dir.File("m4.img") + " " + out + " " + c);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("listed in " + dir.File("m4.img") + ".faults): 70\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(Sidecar(dir.File("m4.img")), "unreadable 70\n");

    const std::string other = Formatted("other.img", "OTHER");
    run = Cmd("merge " + dir.File("m2.img") + " " + a + " " + other);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not reads of one diskette"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Use --force"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("m2.img")));
    EXPECT_EQ(Cmd("merge --force " + dir.File("m2.img") + " " + a + " " + other).status, 0);

    // An empty drive: nothing to say about an image that was never made, and none is left.
    run = Cmd("--drive " + dir.File("no-diskette.img") + " image " + dir.File("x.img"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.img")));
    EXPECT_EQ(Cmd("--drive " + a + " image").status, 2);
    EXPECT_EQ(Cmd("merge " + dir.File("m3.img")).status, 2);
}

TEST_F(CliRescue, RescueTakesEachPieceFromTheCopyThatReadsItAndReportsTheRest) {
    const auto data = Pattern(3000, 3);  // seven units, sectors 64..70 on a fresh diskette
    const std::string src = Host("doc.bin", data);
    const std::string a = Formatted("a.img", "ONE"), b = Formatted("b.img", "TWO");
    for (const std::string& img : {a, b})
        ASSERT_EQ(Cmd("--drive " + img + " add " + src).status, 0);
    WriteText(a + ".faults", "unreadable 66\nunreadable 69\n");  // positions 2 and 5
    WriteText(b + ".faults", "unreadable 67\nunreadable 69\n");  // positions 3 and 5
    const std::string out = dir.File("out.bin"), report = dir.File("r.txt"),
                      json = dir.File("r.json");
    CliRun run = Cmd("rescue --report " + report + " --report-json " + json + " doc.bin " + out +
                     " " + a + " " + b);
    EXPECT_EQ(run.status, 1) << run.err;  // position 5 is in neither copy
    const int offset5 = 448 + 4 * 507;
    auto expected = data;
    std::fill(expected.begin() + offset5, expected.begin() + offset5 + 507, std::uint8_t('X'));
    EXPECT_EQ(ReadBytes(out), expected);
    EXPECT_EQ(Slurp(report), "Start Byte:   0\r\n      5\r\n");
    EXPECT_EQ(nlohmann::json::parse(Slurp(json)),
              nlohmann::json::parse(R"({"name": "doc.bin", "size": 3000, "start": 0,
                  "bad": [{"position": 5, "offset": 2476, "length": 507}]})"));
    // What the repair dialogs' Load report... reads back of the saved report.
    std::vector<ReadReport> loaded;
    ASSERT_TRUE(ParseSavedReports(Slurp(report), loaded));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].positions, std::vector<std::uint32_t>{5});

    // A copy whose header says another size is another file: refused, nothing written.
    const std::string c = Formatted("c.img", "THREE");
    ASSERT_EQ(Cmd("--drive " + c + " add " + Host("doc.bin", Pattern(2000, 4))).status, 0);
    run = Cmd("rescue doc.bin " + dir.File("none.bin") + " " + a + " " + c);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("size or date"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.bin")));

    // copy --report-json: the filler's place in the target, for each unreadable piece.
    run = Cmd("--drive " + a + " --answer ok copy doc.bin " + dir.File("back.bin") +
              " --report-json " + json);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(Slurp(json));
    ASSERT_EQ(j["bad"].size(), 2u);
    EXPECT_EQ(j["bad"][0],
              nlohmann::json::parse(R"({"position": 2, "offset": 955, "length": 507})"));
    EXPECT_EQ(j["bad"][1]["offset"], offset5);
    EXPECT_EQ(j["bad"][1]["position"], 5);

    // A command that met several damaged files wrote a report for each, all of them loaded.
    ASSERT_EQ(Cmd("--drive " + a + " add " + Host("two.bin", Pattern(2000, 5))).status, 0);
    WriteText(a + ".faults", "unreadable 66\nunreadable 73\n");  // doc.bin 2, two.bin 2
    const std::string all = dir.File("all.json");
    std::filesystem::create_directories(dir.File("all"));
    const std::string allText = dir.File("all.txt");
    run = Cmd("--drive " + a + " --answer ok --answer ok copy-to " + dir.File("all") +
              " --report-json " + all + " --report " + allText);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto both = nlohmann::json::parse(Slurp(all));
    ASSERT_TRUE(both.is_array());
    ASSERT_EQ(both.size(), 2u);
    for (const auto& r : both) {
        EXPECT_EQ(r["start"], 0);
        ASSERT_EQ(r["bad"].size(), 1u);
        EXPECT_EQ(r["bad"][0]["position"], 2);
    }
    EXPECT_EQ(both[0]["name"].get<std::string>() + " " + both[1]["name"].get<std::string>(),
              "doc.bin two.bin");
    // The text report keeps both too: the second file's report does not wipe out the first.
    loaded.clear();
    ASSERT_TRUE(ParseSavedReports(Slurp(allText), loaded));
    EXPECT_EQ(loaded.size(), 2u);
}

TEST_F(CliRescue, ScanReportsABoxAndCopiesEverythingOutInsideTheFolder) {
    const auto box = dir.Path() / "box";
    std::filesystem::create_directories(box / "sub");
    const std::string a = Formatted("box/a.img", "BOXA");
    ASSERT_EQ(Cmd("--drive " + a + " add " + Host("notes.txt", Pattern(3000, 5)) + " " +
                  Host("other.txt", Pattern(100, 6)))
                  .status,
              0);
    WriteText(a + ".faults", "unreadable 66\nunreadable 71\n");  // notes.txt 2; other.txt's header
    const std::string evil = Formatted("box/evil.img", "EVIL");
    PutSmallFile(evil, 64, MakeRecord(1, "../../escape", "", 10), Pattern(10, 7));
    PutSmallFile(evil, 65, MakeRecord(2, "..", "", 10), Pattern(10, 8));
    PutSmallFile(evil, 66, MakeRecord(3, "back\\slash", "txt", 10), Pattern(10, 10));
    auto big = Pattern(std::size_t(BytesInUnits(kUnitCount) + 5000), 9);
    const std::string s1 = Formatted("box/s1.img", "S1"), s2 = Formatted("box/sub/s2.img", "S2");
    ASSERT_EQ(Cmd("--drive " + s1 + " --then " + s2 + " --yes add " + Host("big.bin", big)).status,
              0);
    WriteText((box / "short.img").string(), "not a diskette");

    CliRun run = Cmd("scan --json " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    ASSERT_EQ(j["images"].size(), 4u);
    const auto& ai = j["images"][0];
    EXPECT_EQ(ai["path"], a);
    EXPECT_EQ(ai["label"], "BOXA");
    EXPECT_EQ(ai["state"], "ok");
    EXPECT_EQ(ai["files"][0]["name"], "notes.txt");
    EXPECT_EQ(ai["files"][0]["status"], "damaged");
    EXPECT_EQ(ai["files"][0]["bad"], nlohmann::json::parse("[2]"));
    EXPECT_EQ(ai["files"][1]["status"], "header unreadable");
    EXPECT_TRUE(ai["files"][1]["name"].is_null());
    ASSERT_EQ(j["spread"].size(), 1u);
    EXPECT_EQ(j["spread"][0]["name"], "big.bin");
    EXPECT_EQ(j["spread"][0]["parts"][1], nlohmann::json({{"path", s2}, {"part", 1}}));
    EXPECT_EQ(j["spread"][0]["complete"], true);
    EXPECT_EQ(j["not_images"][0]["path"], (box / "short.img").string());
    EXPECT_TRUE(ai["files"][0]["sha256"].is_null());  // damaged: no fixity to keep
    EXPECT_EQ(j["totals"], nlohmann::json::parse(R"({"images": 4, "files": 7, "intact": 5,
        "damaged": 1, "header_unreadable": 1, "unreadable_bytes": 955})"));
    EXPECT_EQ(ReadBytes(a + ".faults").size(), 28u);  // read, never written

    // A spread file collected whole is listed in the extraction folder's own SHA256SUMS, and
    // the JSON of its set carries the whole file's digest.
    const auto whole = dir.Path() / "whole";
    run = Cmd("scan --json --extract " + whole.string() + " " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string topSums = Slurp((whole / "SHA256SUMS").string());
    EXPECT_EQ(topSums, nlohmann::json::parse(run.out)["spread"][0]["sha256"].get<std::string>() +
                           "  big.bin\n");
    EXPECT_EQ(
        std::system(
            ("cd " + whole.string() + " && sha256sum --quiet --strict -c SHA256SUMS").c_str()),
        0);

    // The second part goes bad in its seventh unit: the whole file carries the filler there,
    // and the report names the part's own start byte.
    WriteText(s2 + ".faults", "unreadable 70\n");
    const std::int32_t part0 = BytesInUnits(kUnitCount);
    std::fill(big.begin() + part0 + 448 + 5 * 507, big.begin() + part0 + 448 + 6 * 507,
              std::uint8_t('X'));
    const auto out = dir.Path() / "out";
    run = Cmd("scan --extract " + out.string() + " " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    auto notes = Pattern(3000, 5);
    std::fill(notes.begin() + 955, notes.begin() + 955 + 507, std::uint8_t('X'));
    EXPECT_EQ(ReadBytes((out / "a" / "notes.txt").string()), notes);
    EXPECT_EQ(Slurp((out / "a" / "notes.txt.report").string()), "Start Byte:   0\r\n      2\r\n");
    EXPECT_EQ(ReadBytes((out / "big.bin").string()), big);
    EXPECT_EQ(Slurp((out / "big.bin.report").string()),
              "Start Byte:   " + std::to_string(part0) + "\r\n      6\r\n");
    std::vector<ReadReport> loaded;
    ASSERT_TRUE(ParseSavedReports(Slurp((out / "big.bin.report").string()), loaded));
    EXPECT_EQ(loaded.size(), 1u);
    // Names from a diskette never leave the folder.
    std::vector<std::filesystem::path> escaped;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path()))
        if (entry.path().parent_path().parent_path() != whole &&
            entry.path().filename().string().find("escape") != std::string::npos)
            escaped.push_back(entry.path());
    EXPECT_EQ(escaped, std::vector<std::filesystem::path>{out / "evil" / ".._.._escape"});
    EXPECT_EQ(ReadBytes((out / "evil" / "_..").string()), Pattern(10, 8));
    // Fixity: the folder's SHA256SUMS lists its files extracted whole, as sha256sum checks
    // them (a backslash in a name escaped as GNU sha256sum escapes it), and the JSON gives the
    // same digests.
    const std::string sums = Slurp((out / "evil" / "SHA256SUMS").string());
    EXPECT_NE(sums.find("\\"), std::string::npos) << sums;
    EXPECT_EQ(std::system(("cd " + (out / "evil").string() +
                           " && sha256sum --quiet --strict -c SHA256SUMS >/dev/null")
                              .c_str()),
              0)
        << sums;
    EXPECT_NE(sums.find("  .._.._escape\n"), std::string::npos) << sums;
    const auto& dots = j["images"][1]["files"][1];  // evil.img, file 2: ".."
    ASSERT_EQ(dots["name"], "..");
    EXPECT_NE(sums.find(dots["sha256"].get<std::string>() + "  _..\n"), std::string::npos) << sums;
    EXPECT_FALSE(std::filesystem::exists(out / "a" / "SHA256SUMS"));  // nothing there is whole

    // Run again, the extraction finds every folder and file there and writes nothing; a file
    // in the way of an image's folder is never overwritten. A line of a batch scans as well.
    const std::string before = Slurp((out / "evil" / "SHA256SUMS").string());
    EXPECT_EQ(Cmd("scan --extract " + out.string() + " " + box.string()).status, 0);
    EXPECT_EQ(Slurp((out / "evil" / "SHA256SUMS").string()), before);
    std::filesystem::remove_all(out / "a");
    WriteText((out / "a").string(), "mine");
    run = Cmd("scan --extract " + out.string() + " " + box.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("/a exists; it is not overwritten."), std::string::npos) << run.err;
    EXPECT_EQ(Slurp((out / "a").string()), "mine");
    EXPECT_EQ(Batch("", "scan " + box.string() + "\n").status, 0);
    EXPECT_EQ(Cmd("scan " + dir.File("no-such-folder")).status, 1);
}

// Images made by another tool: where a sector never read there is a hole (zeros, a reader's
// 0xF6 filler) and nothing beside the image says so. The units' owner tags do.
TEST_F(CliRescue, HolesInImagesAreReportedAsUnreadableAndFilledFromAnotherCopy) {
    const auto data = Pattern(3000, 7);  // seven units, sectors 64..70 on a fresh diskette
    const std::string a = Formatted("a.img", "ONE");
    ASSERT_EQ(Cmd("--drive " + a + " add " + Host("doc.bin", data)).status, 0);
    const std::string b = dir.File("b.img");
    std::filesystem::copy_file(a, b);
    auto hole = [](const std::string& image, int sector, std::uint8_t fill) {
        auto bytes = ReadBytes(image);
        std::fill_n(bytes.begin() + long(sector) * kSectorSize, kSectorSize, fill);
        WriteBytes(image, bytes);
    };
    hole(a, 66, 0x00);  // position 2
    hole(b, 68, 0xF6);  // position 4

    const std::string json = dir.File("r.json"), back = dir.File("back.bin");
    CliRun run =
        Cmd("--drive " + a + " --answer ok copy doc.bin " + back + " --report-json " + json);
    ASSERT_EQ(run.status, 0) << run.err;
    auto expected = data;
    std::fill_n(expected.begin() + 955, 507, std::uint8_t('X'));
    EXPECT_EQ(ReadBytes(back), expected);
    EXPECT_EQ(nlohmann::json::parse(Slurp(json))["bad"],
              nlohmann::json::parse(R"([{"position": 2, "offset": 955, "length": 507}])"));

    const auto box = dir.Path() / "box";
    std::filesystem::create_directories(box);
    std::filesystem::copy_file(a, box / "a.img");
    std::filesystem::copy_file(b, box / "b.img");
    run = Cmd("scan --json " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto scan = nlohmann::json::parse(run.out);
    ASSERT_EQ(scan["images"].size(), 2u);
    EXPECT_EQ(scan["images"][0]["files"][0]["status"], "damaged");
    EXPECT_EQ(scan["images"][0]["files"][0]["bad"], nlohmann::json::parse("[2]"));
    EXPECT_EQ(scan["images"][1]["files"][0]["bad"], nlohmann::json::parse("[4]"));

    // Each hole is filled from the copy that holds the file's own unit there.
    const std::string rescued = dir.File("rescued.bin");
    run = Cmd("rescue doc.bin " + rescued + " " + a + " " + b);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(rescued), data);

    // The full test keeps the hole as the file's, names the file, and the copy still reports.
    run = Cmd("--drive " + a + " --yes service full");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("doc.bin (#1): 507 bytes unreadable (chain positions 2)"),
              std::string::npos)
        << run.out;
    std::filesystem::remove(back);
    run = Cmd("--drive " + a + " --answer ok copy doc.bin " + back + " --report-json " + json);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(back), expected);
}

// A side file of an image may be anything a user or another tool left under that name: one that
// is not a small regular file refuses the image at once and is never waited on or read whole.
TEST_F(CliRescue, ASideFileThatIsNoSmallRegularFileRefusesItsImageAtOnce) {
    const auto box = dir.Path() / "box";
    std::filesystem::create_directories(box);
    const std::string good = Formatted("box/good.img", "GOOD");
    const std::string piped = Formatted("box/piped.img", "PIPED");
    const std::string zeros = Formatted("box/zeros.img", "ZEROS");
    ASSERT_EQ(::mkfifo((piped + ".faults").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", zeros + ".faults");
    const auto before = ReadBytes(piped);

    CliRun run = Cmd("--drive " + piped + " list");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(piped + ".faults is not a regular file"), std::string::npos) << run.err;
    run = Cmd("--drive " + good + " --mapfile " + zeros + ".faults list");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(zeros + ".faults is not a regular file"), std::string::npos) << run.err;
    const std::string large = dir.File("large.map");
    WriteText(large, std::string(1024 * 1024 + 1, '#'));
    run = Cmd("--drive " + good + " --mapfile " + large + " list");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(large + " is larger than 1 MiB"), std::string::npos) << run.err;

    // The scan lists both as not readable and goes on with the rest.
    run = Cmd("scan --json " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    ASSERT_EQ(j["images"].size(), 3u);
    std::map<std::string, std::string> states;
    for (const auto& image : j["images"]) states[image["path"]] = image["state"];
    EXPECT_EQ(states, (std::map<std::string, std::string>{
                          {good, "ok"}, {piped, "not readable"}, {zeros, "not readable"}}));

    // Imaging that would go on from its record refuses one that is a pipe, and leaves OUT alone.
    run = Cmd("--drive " + good + " image " + piped);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(piped + ".faults is not a regular file"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(piped), before);
}

}  // namespace
}  // namespace orv::tests

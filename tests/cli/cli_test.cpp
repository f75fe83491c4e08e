// orvalis-cli end to end: real image files with .faults sidecars, the binary run as a user would.
#include <sys/stat.h>
#include <unistd.h>

#include "cli_fixture.h"

namespace orv::tests {
namespace {

TEST_F(Cli, FilesOfEverySizeGoOnAndComeBackByteExact) {
    const std::string img = Formatted("a.img", "SIZES");
    const std::size_t sizes[] = {0, 1, 448, 449, 955, 956, 100000};
    std::string names;
    for (std::size_t size : sizes)
        names += " " + Host("s" + std::to_string(size), Pattern(size, std::uint32_t(size)));
    const CliRun add = Cmd("--drive " + img + " add" + names);
    ASSERT_EQ(add.status, 0) << add.err;

    const auto list = ListJson(img);
    ASSERT_EQ(list.size(), std::size(sizes));
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(list[i]["name"], "s" + std::to_string(sizes[i]));
        EXPECT_EQ(list[i]["size"].get<std::size_t>(), sizes[i]);
        EXPECT_EQ(list[i]["number"].get<int>(), int(i) + 1);
        EXPECT_EQ(list[i]["attributes"], "ARW");
    }
    const auto out = dir.Path() / "out";
    std::filesystem::create_directory(out);
    std::string all;
    for (std::size_t size : sizes) all += " s" + std::to_string(size);
    const CliRun copy = Cmd("--drive " + img + " copy-to " + out.string() + all);
    ASSERT_EQ(copy.status, 0) << copy.err;
    for (std::size_t size : sizes)
        EXPECT_EQ(ReadBytes((out / ("s" + std::to_string(size))).string()),
                  Pattern(size, std::uint32_t(size)))
            << size;

    const CliRun info = Cmd("--drive " + img + " info --json");
    ASSERT_EQ(info.status, 0) << info.err;
    const auto j = nlohmann::json::parse(info.out);
    EXPECT_EQ(j["label"], "SIZES");
    EXPECT_EQ(j["files"].get<int>(), 7);
    EXPECT_EQ(j["total"].get<int>(), 1427712);
    EXPECT_EQ(
        j["free"].get<int>() + j["used"].get<int>() + j["bad"].get<int>() + j["system"].get<int>(),
        1427712);
}

TEST_F(Cli, MkimageTakesTheDriveAndCopyToWithoutNamesCopiesEveryFileUnderANameOfItsOwn) {
    const std::string img = dir.File("d.img");
    ASSERT_EQ(Cmd("--drive " + img + " mkimage").status, 0);
    EXPECT_EQ(std::filesystem::file_size(img), 1474560u);
    EXPECT_EQ(Cmd("mkimage").status, 2);
    ASSERT_EQ(Cmd("--drive " + img + " --yes format --label ALL --no-results").status, 0);
    const std::string names = " " + Host("one.txt", Pattern(700, 1)) + " " +
                              Host("two", Pattern(0, 2)) + " " +
                              Host("three.bin", Pattern(3000, 3));
    std::filesystem::create_directory(dir.Path() / "other");
    ASSERT_EQ(
        Cmd("--drive " + img + " add" + names + " " + Host("other/one.txt", Pattern(9, 4))).status,
        0);
    const auto out = dir.Path() / "all";
    std::filesystem::create_directory(out);
    const CliRun copy = Cmd("--drive " + img + " copy-to " + out.string());
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(ReadBytes((out / "one.txt").string()), Pattern(700, 1));
    EXPECT_EQ(ReadBytes((out / "two").string()), Pattern(0, 2));
    EXPECT_EQ(ReadBytes((out / "three.bin").string()), Pattern(3000, 3));
    // The second file of one name neither replaces the first nor is left out.
    EXPECT_EQ(ReadBytes((out / "one.txt #4").string()), Pattern(9, 4));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 4);
}

TEST_F(Cli, TheLargestFileThatFitsTakesTheWholeDiskette) {
    const std::string img = Formatted("a.img", "FULL");
    const auto data = Pattern(std::size_t(BytesInUnits(kUnitCount)), 3);
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("big.bin", data)).status, 0);
    const CliRun copy = Cmd("--drive " + img + " copy big.bin " + dir.File("back.bin"));
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(ReadBytes(dir.File("back.bin")), data);
    const auto info = nlohmann::json::parse(Cmd("--drive " + img + " info --json").out);
    EXPECT_EQ(info["free"].get<int>(), 0);
}

TEST_F(Cli, AFileSpreadOverThreeImagesIsCollectedBackWithThen) {
    const std::string a = Formatted("a.img", "ONE"), b = Formatted("b.img", "TWO"),
                      c = Formatted("c.img", "THREE");
    const auto data = Pattern(std::size_t(2 * BytesInUnits(kUnitCount) + 5000), 5);
    const std::string src = Host("movie.avi", data);
    const CliRun add =
        Cmd("--drive " + a + " --then " + b + " --then " + c + " --answer yes add " + src);
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_NE(add.err.find("Please, insert another diskette (mark as 2) and click on OK."),
              std::string::npos);
    EXPECT_EQ(ListJson(b)[0]["name"], "movie.1");
    EXPECT_EQ(ListJson(c)[0]["name"], "movie.2");
    EXPECT_EQ(ListJson(c)[0]["size"].get<std::size_t>(), data.size());

    const CliRun copy = Cmd("--drive " + a + " --then " + b + " --then " + c + " copy movie.avi " +
                            dir.File("back.avi"));
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(ReadBytes(dir.File("back.avi")), data);
    // Without the further images the copy is interrupted at the first prompt.
    const CliRun stopped = Cmd("--drive " + a + " copy movie.avi " + dir.File("part.avi"));
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("Copying had been interrupt by user."), std::string::npos);
}

TEST_F(Cli, CopyPastInjectedBadSectorsSavesTheReport) {
    const std::string img = Formatted("a.img", "BAD");
    const auto data = Pattern(5000, 9);
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("doc.txt", data)).status, 0);
    // The file starts in unit 0 (sector 64); its third unit is sector 66.
    WriteText(img + ".faults", "# worn spot\nunreadable 66\n");
    const std::string report = dir.File("doc-report.txt");
    const CliRun copy = Cmd("--drive " + img + " --answer ok copy doc.txt " + dir.File("back.txt") +
                            " --report " + report);
    ASSERT_EQ(copy.status, 0) << copy.err;
    auto expected = data;
    std::fill(expected.begin() + 448 + 507, expected.begin() + 448 + 2 * 507, std::uint8_t('X'));
    EXPECT_EQ(ReadBytes(dir.File("back.txt")), expected);
    EXPECT_EQ(Slurp(report), "Start Byte:   0\r\n      2\r\n");
    EXPECT_EQ(ListJson(img).size(), 1u);  // no --mark: the file stays
}

// A report replaces the file it is written to: the diskette's image, through any name, an image
// that a rescue reads and the copy's own target are refused before anything is read or written.
TEST_F(Cli, AReportIsNeverWrittenOverTheDisketteOrAFileTheCommandUses) {
    const std::string img = Formatted("a.img", "GUARD");
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("doc.txt", Pattern(5000, 2))).status, 0);
    WriteText(img + ".faults", "unreadable 66\n");
    const std::string link = dir.File("link.img");
    ASSERT_EQ(::link(img.c_str(), link.c_str()), 0);
    const auto before = ReadBytes(img);
    const std::string back = dir.File("back.txt");
    const std::string cases[] = {
        "copy doc.txt " + back + " --report " + img,
        "copy doc.txt " + back + " --report-json " + link,
        "copy-to " + dir.Path().string() + " --report " + dir.File("./a.img"),
        "rescue --report " + img + " doc.txt " + back + " " + img,
    };
    for (const std::string& command : cases) {
        const CliRun run = Cmd("--drive " + img + " --yes " + command);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find("the report would replace it"), std::string::npos) << run.err;
        EXPECT_EQ(ReadBytes(img), before) << command;
        EXPECT_FALSE(std::filesystem::exists(back)) << command;
    }
    const CliRun self = Cmd("--drive " + img + " --yes copy-at doc.txt " +
                            Host("t", Pattern(10, 1)) + " 0 --report " + dir.File("t"));
    EXPECT_EQ(self.status, 1);
    EXPECT_NE(self.err.find("is the file it writes"), std::string::npos) << self.err;
    EXPECT_EQ(ReadBytes(dir.File("t")), Pattern(10, 1));
}

TEST_F(Cli, MarkDeletesTheDamagedFileAndKeepsTheBadUnitOutOfUse) {
    const std::string img = Formatted("a.img", "MARK");
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("doc.txt", Pattern(5000, 1))).status, 0);
    WriteText(img + ".faults", "unreadable 66\n");
    const CliRun copy =
        Cmd("--drive " + img + " --yes copy doc.txt " + dir.File("back.txt") + " --mark");
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_TRUE(ListJson(img).empty());
    const auto info = nlohmann::json::parse(Cmd("--drive " + img + " info --json").out);
    EXPECT_EQ(info["bad"].get<int>(), 507);

    // A mark that cannot reach a protected diskette is no success: exit 1, the file stays.
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("doc.txt", Pattern(5000, 1))).status, 0);
    WriteText(img + ".faults", "unreadable 67\nwrite-protected\n");
    const CliRun refused =
        Cmd("--drive " + img + " --yes copy doc.txt " + dir.File("back2.txt") + " --mark");
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_EQ(ListJson(img).size(), 1u);
}

TEST_F(Cli, RefusalsAndErrorsGiveTheirExitStatus) {
    const std::string img = Formatted("a.img", "ERR");
    EXPECT_EQ(Cmd("mkimage " + img).status, 1);  // never overwrites
    EXPECT_EQ(Cmd("--drive " + img + " copy nosuch.txt " + dir.File("x")).status, 1);
    EXPECT_EQ(Cmd("--drive " + img + " frobnicate").status, 2);
    EXPECT_EQ(Cmd("--drive " + img + " --answer maybe list").status, 2);

    const std::string small = Host("small.img", std::vector<std::uint8_t>(1000, 0));
    const CliRun wrong = Cmd("--drive " + small + " list");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("exactly 1474560 bytes"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(small), 1000u);

    WriteText(img + ".faults", "unreadable 5\nsmudged 7\n");
    const CliRun faults = Cmd("--drive " + img + " list");
    EXPECT_EQ(faults.status, 1);
    EXPECT_NE(faults.err.find(img + ".faults:2:"), std::string::npos);

    // A blank diskette: the not-formatted question defaults to Yes, then no ID sectors.
    const std::string blank = dir.File("blank.img");
    ASSERT_EQ(Cmd("mkimage " + blank).status, 0);
    const CliRun open = Cmd("--drive " + blank + " --answer no list");
    EXPECT_EQ(open.status, 1);
    EXPECT_NE(open.err.find("Orvalis: Diskette seems to be not formated for Orvalis"),
              std::string::npos);
}

TEST_F(Cli, AWriteProtectedDisketteRefusesTheDeleteAndStaysUnchanged) {
    const std::string img = Formatted("a.img", "WP");
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("k.txt", Pattern(100, 1))).status, 0);
    WriteText(img + ".faults", "write-protected\n");
    const auto before = ReadBytes(img);
    const CliRun del = Cmd("--drive " + img + " --yes delete k.txt");
    EXPECT_EQ(del.status, 1);
    EXPECT_NE(del.err.find("Could not delete file.\n         Diskette may be locked or damaged."),
              std::string::npos)
        << del.err;
    EXPECT_EQ(ReadBytes(img), before);
    const CliRun add = Cmd("--drive " + img + " add " + Host("n.txt", Pattern(10, 2)));
    EXPECT_EQ(add.status, 1);
    EXPECT_EQ(ReadBytes(img), before);
}

TEST_F(Cli, DeleteAsksFirstAndRemovesTheNamedFiles) {
    const std::string img = Formatted("a.img", "DEL");
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("a.txt", {1}) + " " + Host("b.txt", {2}) + " " +
                  Host("c.txt", {3}))
                  .status,
              0);
    EXPECT_EQ(Cmd("--drive " + img + " --answer no delete a.txt").status, 1);
    // A second a.txt goes on, with a note (the status stays 0).
    std::filesystem::create_directory(dir.Path() / "other");
    const CliRun again = Cmd("--drive " + img + " add " + Host("other/a.txt", {4}));
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.err.find("orvalis-cli: note: The diskette already held a file named a.txt "
                             "(#1); both are on it now."),
              std::string::npos)
        << again.err;
    EXPECT_EQ(Cmd("--drive " + img + " --yes delete --number 4").status, 0);
    const CliRun del = Cmd("--drive " + img + " --yes delete A.TXT '#3'");
    ASSERT_EQ(del.status, 0) << del.err;
    const auto list = ListJson(img);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["name"], "b.txt");
}

TEST_F(Cli, AddFromAndCopyAtRepairTheTailOfAFile) {
    const std::string img = Formatted("a.img", "POS");
    const auto data = Pattern(3000, 4);
    const std::string src = Host("tail.bin", data);
    ASSERT_EQ(Cmd("--drive " + img + " add --from 1000 " + src).status, 0);
    auto damaged = data;
    std::fill(damaged.begin() + 1000, damaged.end(), 0);
    const std::string target = Host("damaged.bin", damaged);
    const CliRun at = Cmd("--drive " + img + " copy-at tail.bin " + target + " 1000");
    ASSERT_EQ(at.status, 0) << at.err;
    EXPECT_NE(at.err.find("File was added to " + target), std::string::npos);
    EXPECT_EQ(ReadBytes(target), data);
    // The advised way to finish the add: the rest goes at the end of the first 1000 bytes.
    const std::string head = Host("head.bin", {data.begin(), data.begin() + 1000});
    ASSERT_EQ(Cmd("--drive " + img + " copy-at tail.bin " + head + " 1000").status, 0);
    EXPECT_EQ(ReadBytes(head), data);
    EXPECT_EQ(Cmd("--drive " + img + " add --from 3000 " + src).status, 1);
    EXPECT_EQ(Cmd("--drive " + img + " add --from 12x " + src).status, 1);
}

TEST_F(Cli, AnExactNameWinsAndANameEqualOnlyInCaseIsRefused) {
    const std::string img = Formatted("a.img", "CASE");
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("README.TXT", Pattern(100, 1)) + " " +
                  Host("readme.txt", Pattern(200, 2)) + " " + Host("notes.TXT", Pattern(300, 3)))
                  .status,
              0);
    ASSERT_EQ(Cmd("--drive " + img + " copy readme.txt " + dir.File("lower")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("lower")), Pattern(200, 2));
    ASSERT_EQ(Cmd("--drive " + img + " copy README.TXT " + dir.File("upper")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("upper")), Pattern(100, 1));
    // One file that differs only in case is still found.
    ASSERT_EQ(Cmd("--drive " + img + " copy NOTES.txt " + dir.File("notes")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("notes")), Pattern(300, 3));

    const CliRun both = Cmd("--drive " + img + " --yes delete ReadMe.txt");
    EXPECT_EQ(both.status, 1);
    EXPECT_NE(both.err.find("  README.TXT  #1\n  readme.txt  #2\n"), std::string::npos) << both.err;
    EXPECT_EQ(both.err.find("Are you sure"), std::string::npos);
    EXPECT_EQ(ListJson(img).size(), 3u);
}

// '#1' is file number 1 and, here, also the name of file number 2: a command that would have to
// guess is refused naming both, and --number names a file by its number alone.
TEST_F(Cli, ANameThatIsAnotherFilesNumberIsAmbiguousAndNumberSaysWhichIsMeant) {
    const std::string img = Formatted("a.img", "HASH");
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("first", Pattern(100, 1)) + " '" +
                  Host("#1", Pattern(200, 2)) + "'")
                  .status,
              0);
    const CliRun ambiguous = Cmd("--drive " + img + " --yes delete '#1'");
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_NE(ambiguous.err.find("'#1' is ambiguous"), std::string::npos) << ambiguous.err;
    EXPECT_NE(ambiguous.err.find("  first  #1\n  #1  #2\n"), std::string::npos) << ambiguous.err;
    EXPECT_EQ(ambiguous.err.find("Are you sure"), std::string::npos);
    EXPECT_EQ(Cmd("--drive " + img + " copy-at --number x " + Host("t", {}) + " 0").status, 1);

    ASSERT_EQ(Cmd("--drive " + img + " copy --number 2 " + dir.File("two")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("two")), Pattern(200, 2));
    ASSERT_EQ(Cmd("--drive " + img + " --yes delete --number 1").status, 0);
    // With no file number 1 left, '#1' is the name.
    ASSERT_EQ(Cmd("--drive " + img + " copy '#1' " + dir.File("named")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("named")), Pattern(200, 2));
}

TEST_F(Cli, JsonCarriesNamesAndLabelsThatAreNotUtf8AsText) {
    // Bytes of an 8-bit code page, as older programs stored them.
    const std::string img = Formatted("a.img", "X");
    ASSERT_EQ(Cmd("--drive " + img + " format --no-results --label '\xff\xfeLBL'").status, 0);
    const auto data = Pattern(800, 4);
    ASSERT_EQ(Cmd("--drive " + img + " add '" + Host("caf\xe9.txt", data) + "'").status, 0);

    const auto list = ListJson(img);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["name"], "caf\xc3\xa9.txt");
    EXPECT_EQ(list[0]["name_as_stored"], false);
    EXPECT_EQ(list[0]["part"], 0);
    const CliRun info = Cmd("--drive " + img + " info --json");
    ASSERT_EQ(info.status, 0) << info.err;
    const auto j = nlohmann::json::parse(info.out);
    EXPECT_EQ(j["label"], "\xcb\x99\xc5\xa3LBL");
    EXPECT_EQ(j["label_as_stored"], false);
    // The name shown is the name a command takes.
    ASSERT_EQ(Cmd("--drive " + img + " copy 'caf\xc3\xa9.txt' " + dir.File("back")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("back")), data);
}

TEST_F(Cli, AnAddCutShortAtADisketteChangeExitsOneAndNamesWhereToGoOn) {
    const std::string a = Formatted("a.img", "ONE"), b = Formatted("b.img", "TWO");
    const auto data = Pattern(std::size_t(BytesInUnits(kUnitCount) + 6000), 6);
    const std::string src = Host("big.bin", data);
    const CliRun cut = Cmd("--drive " + a + " --yes add --from 1000 " + src);
    EXPECT_EQ(cut.status, 1);
    const long next = 1000 + BytesInUnits(kUnitCount);
    EXPECT_NE(cut.err.find("add --from " + std::to_string(next) + " " + src), std::string::npos)
        << cut.err;
    const CliRun rest = Cmd("--drive " + b + " add --from " + std::to_string(next) + " " + src);
    ASSERT_EQ(rest.status, 0) << rest.err;
    const CliRun tail =
        Cmd("--drive " + b + " copy-at big.bin " + Host("tail", data) + " " + std::to_string(next));
    ASSERT_EQ(tail.status, 0) << tail.err;
    EXPECT_EQ(ReadBytes(dir.File("tail")), data);

    // A device is no file: the core's refusal comes through the option's check.
    const CliRun device = Cmd("--drive " + b + " add /dev/zero");
    EXPECT_EQ(device.status, 1);
    EXPECT_NE(device.err.find("is not a file. Only files can be added."), std::string::npos);
}

// A second program on the same image is refused at once, told who has it, and changes nothing.
TEST_F(Cli, ADisketteOpenInOneProgramIsRefusedToAnother) {
    const std::string image = Formatted("shared.img", "SHARED");
    const std::string fifo = dir.File("script");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string holder = "timeout 60 " + std::string(ORVALIS_CLI) + " --drive " + image +
                               " batch " + fifo + " >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(holder.c_str()), 0);
    {
        std::ofstream script(fifo);  // the batch holds the diskette open while this is open
        script << "open" << std::endl;
        const auto before = ReadBytes(image);
        // A listing, which writes nothing, waits until the batch has opened it.
        for (int i = 0; i < 100 && Cmd("--drive " + image + " list").status == 0; ++i)
            ::usleep(50000);
        const CliRun refused = Cmd("--drive " + image + " add " + Host("x.txt", {1, 2, 3}));
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(image + " is in use by another program (process "),
                  std::string::npos)
            << refused.err;
        EXPECT_EQ(ReadBytes(image), before);
    }
    // The batch ends with its script, and gives the diskette back.
    CliRun later;
    for (int i = 0; i < 100 && (later = Cmd("--drive " + image + " list")).status != 0; ++i)
        ::usleep(50000);
    EXPECT_EQ(later.status, 0) << later.err;
}

// A program started with a standard stream closed would give that number to the image it opens
// and write its listing, its questions or its summary into it.
TEST_F(Cli, ClosedStandardStreamsNeverReachTheImage) {
    const std::string image = Formatted("streams.img", "STREAMS");
    ASSERT_EQ(Cmd("--drive " + image + " add " + Host("a.txt", {1, 2, 3})).status, 0);
    const auto before = ReadBytes(image);
    // The streams left open go to /dev/null; the shell closes the others after that.
    auto run = [&](const std::string& args, const std::string& closing) {
        const std::string line = "timeout 120 " + std::string(ORVALIS_CLI) + " --drive " + image +
                                 " " + args + " </dev/null >/dev/null 2>/dev/null " + closing;
        const int rc = std::system(line.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    int n = 0;
    for (const std::string closing : {">&-", "2>&-", ">&- 2>&-", "<&- >&- 2>&-"}) {
        SCOPED_TRACE(closing);
        EXPECT_EQ(run("list", closing), 0);
        EXPECT_EQ(ReadBytes(image), before);
        // The delete asks first, on standard error, and the answer is No.
        EXPECT_EQ(run("--answer no delete a.txt", closing), 1);
        EXPECT_EQ(ReadBytes(image), before);
        const std::string out = dir.File("copy" + std::to_string(++n) + ".img");
        EXPECT_EQ(run("image " + out, closing), 0);
        EXPECT_EQ(ReadBytes(image), before);
        EXPECT_EQ(ReadBytes(out), before);
    }
    EXPECT_EQ(ListJson(image).size(), 1u);
}

}  // namespace
}  // namespace orv::tests

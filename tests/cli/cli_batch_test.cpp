// orvalis-cli batch: one drive and one document across the lines of a script.
#include <random>
#include <set>

#include "cli_fixture.h"

namespace orv::tests {
namespace {

bool Failed(const CliRun& run, int line) {
    return run.err.find("line " + std::to_string(line) + " failed (status") != std::string::npos;
}

TEST_F(Cli, ABatchKeepsOneDriveAndOneDocumentAcrossItsLines) {
    const std::string a = Formatted("a.img", "FIRST"), b = Formatted("b.img", "SECOND");
    const std::string one = Host("one.txt", Pattern(3000, 1));
    const std::string two = Host("two words.txt", Pattern(700, 2));

    // The diskette opened first stays open after insert; the add that touches it finds another
    // diskette in the drive, and the batch stops there.
    const CliRun stops = Batch("--drive " + a,
                               "# two diskettes\n"
                               "\n"
                               "add " +
                                   one + " \"" + two +
                                   "\"  # both onto FIRST\n"
                                   "insert " +
                                   b +
                                   "\n"
                                   "list\n"
                                   "add " +
                                   one +
                                   "\n"
                                   "delete one.txt\n");
    EXPECT_EQ(stops.status, 1);
    EXPECT_NE(stops.out.find("two words.txt\t700\t"), std::string::npos) << stops.out;
    EXPECT_NE(stops.err.find("Orvalis found different diskette in drive."), std::string::npos);
    EXPECT_TRUE(Failed(stops, 6)) << stops.err;
    EXPECT_EQ(ListJson(a).size(), 2u);  // line 7 never ran
    EXPECT_TRUE(ListJson(b).empty());

    // --keep-going; the answers are taken in order across the lines.
    const CliRun goes = Batch("--drive " + a + " --answer no --answer yes",
                              "delete one.txt\n"
                              "delete '#1'\n"
                              "format --no-results\n"
                              "open\n"
                              "close\n"
                              "eject\n"
                              "list\n"
                              "insert " +
                                  b +
                                  "\n"
                                  "add " +
                                  one +
                                  "\n"
                                  "copy \"one.txt " +
                                  dir.File("x") +
                                  "\n"
                                  "service test\n"
                                  "list --json\n",
                              "--keep-going");
    EXPECT_EQ(goes.status, 1);
    for (int line : {1, 3, 4, 7, 10, 11}) EXPECT_TRUE(Failed(goes, line)) << line << goes.err;
    for (int line : {2, 5, 6, 8, 9, 12}) EXPECT_FALSE(Failed(goes, line)) << line << goes.err;
    EXPECT_NE(goes.err.find("Diskette is open. Cannot format open diskete.\n"), std::string::npos);
    EXPECT_NE(goes.err.find("Diskette is open. Cannot scan open diskete.\n"), std::string::npos);
    EXPECT_NE(goes.err.find("a double quote is not closed"), std::string::npos);
    EXPECT_EQ(ListJson(a).size(), 1u);
    EXPECT_EQ(ListJson(b)[0]["name"], "one.txt");
    EXPECT_EQ(goes.out.find("Results"), std::string::npos);

    // Without a terminal a retry question ends: a delete after Mark on a write-protected
    // diskette is asked about three times with Yes, then No, in each command anew (each of
    // which fails: the mark never reached the diskette).
    const std::string c = Formatted("c.img", "LOCKED");
    ASSERT_EQ(Cmd("--drive " + c + " add " + Host("doc.txt", Pattern(5000, 3))).status, 0);
    WriteText(c + ".faults", "unreadable 66\nwrite-protected\n");
    const CliRun locked = Batch("--drive " + c + " --yes",
                                "copy doc.txt " + dir.File("b1") + " --mark\n" + "copy doc.txt " +
                                    dir.File("b2") + " --mark\n",
                                "--keep-going");
    ASSERT_NE(locked.status, 124) << "the question came back for ever";
    EXPECT_EQ(locked.status, 1);
    std::size_t asked = 0;
    for (std::size_t at = locked.err.find("Repeat ?"); at != std::string::npos;
         at = locked.err.find("Repeat ?", at + 1))
        ++asked;
    EXPECT_EQ(asked, 8u);
    EXPECT_NE(locked.err.find("Repeat ?\n  [Yes/No] -> No"), std::string::npos);
}

// Seeded rounds of files whose names show alike or become one host name (control characters
// shown as '?', next to '?', '_' and '#'): copy-to gives every file a name of its own, and no
// copy replaces another of the same command, whatever the replace question would have taken.
TEST_F(Cli, CopyToGivesEveryFileItsOwnNameWhateverTheNamesShow) {
    const std::string img = Formatted("names.img", "NAMES");
    std::mt19937 rng(22);
    const std::string alphabet = "a?\x01\x1f_# 5";
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    constexpr int kRounds = 12;
    std::string script;
    std::vector<std::vector<std::vector<std::uint8_t>>> contents(kRounds);
    for (int round = 0; round < kRounds; ++round) {
        const auto from = dir.Path() / ("src" + std::to_string(round));
        const auto out = dir.Path() / ("out" + std::to_string(round));
        std::filesystem::create_directory(from);
        std::filesystem::create_directory(out);
        std::set<std::string> names;
        const int files = pick(2, 7);
        while (int(names.size()) < files) {
            std::string name;
            for (int i = pick(1, 3); i > 0; --i) name += alphabet[std::size_t(pick(0, 7))];
            if (name.find_first_not_of(' ') != std::string::npos && name.back() != ' ' &&
                name[0] != '#')
                names.insert(name);
        }
        script += "format --no-results\nadd";
        for (const std::string& name : names) {
            contents[std::size_t(round)].push_back(
                Pattern(std::size_t(pick(0, 900)), std::uint32_t(round * 100 + pick(0, 99))));
            WriteBytes((from / name).string(), contents[std::size_t(round)].back());
            script += " '" + (from / name).string() + "'";
        }
        script += "\ncopy-to " + out.string() + "\nclose\n";
    }
    const CliRun run = Batch("--drive " + img + " --yes", script);
    ASSERT_EQ(run.status, 0) << run.err;
    for (int round = 0; round < kRounds; ++round) {
        std::multiset<std::vector<std::uint8_t>> want(contents[std::size_t(round)].begin(),
                                                      contents[std::size_t(round)].end());
        std::multiset<std::vector<std::uint8_t>> got;
        for (const auto& entry :
             std::filesystem::directory_iterator(dir.Path() / ("out" + std::to_string(round))))
            got.insert(ReadBytes(entry.path().string()));
        EXPECT_EQ(got, want) << "round " << round;
    }

    // Another name of a file this copy wrote (here a link; a file system that folds case does
    // the same) is no file to replace either.
    const std::string two = Formatted("two.img", "TWO");
    ASSERT_EQ(Cmd("--drive " + two + " add " + Host("a", Pattern(10, 1)) + " " +
                  Host("b", Pattern(20, 2)))
                  .status,
              0);
    const auto out = dir.Path() / "linked";
    std::filesystem::create_directory(out);
    std::filesystem::create_symlink("a", out / "b");
    ASSERT_EQ(Cmd("--drive " + two + " --yes copy-to " + out.string()).status, 0);
    EXPECT_EQ(ReadBytes((out / "a").string()), Pattern(10, 1));
    EXPECT_EQ(ReadBytes((out / "b #2").string()), Pattern(20, 2));
}

}  // namespace
}  // namespace orv::tests

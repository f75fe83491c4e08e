// orvalis-cli batch: one drive and one document across the lines of a script.
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

}  // namespace
}  // namespace orv::tests

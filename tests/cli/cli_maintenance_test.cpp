// Format, disk service and repair files through orvalis-cli, on image files with faults.
#include "cli_fixture.h"

namespace orv::tests {
namespace {

class CliMaintenance : public Cli {
protected:
    std::string Blank(const std::string& name) {
        const std::string path = dir.File(name);
        EXPECT_EQ(Cmd("mkimage " + path).status, 0);
        return path;
    }
    nlohmann::json Info(const std::string& image) {
        const CliRun run = Cmd("--drive " + image + " info --json");
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }
};

TEST_F(CliMaintenance, FormatsABlankImageQuickAndFullWithFaults) {
    const std::string img = Blank("a.img");
    WriteText(img + ".faults", "unreadable 70\nunreadable 2000-2001\n");
    const CliRun quick = Cmd("--drive " + img + " format --label HOLIDAYS");
    ASSERT_EQ(quick.status, 0) << quick.err;
    EXPECT_NE(quick.out.find("Results - Diskette 3,5.(Halvorn)"), std::string::npos);
    EXPECT_NE(quick.out.find("1 427 712 Bytes\n"), std::string::npos);
    EXPECT_NE(quick.out.find("Done..."), std::string::npos);
    // A quick format finds no bad unit; the full one reads every sector.
    EXPECT_EQ(Info(img)["bad"].get<int>(), 0);
    EXPECT_EQ(Info(img)["label"], "HOLIDAYS");

    const CliRun full = Cmd("--drive " + img + " format --full --no-label");
    ASSERT_EQ(full.status, 0) << full.err;
    EXPECT_NE(full.out.find("1 521 Bytes in bad sectors"), std::string::npos) << full.out;
    const auto info = Info(img);
    EXPECT_EQ(info["bad"].get<int>(), 3 * 507);
    EXPECT_EQ(info["label"], "HOLIDAYS");  // --no-label keeps it
    EXPECT_EQ(info["free"].get<int>(), 1427712 - 3 * 507);

    const CliRun label = Cmd("--drive " + img + " format --label ABCDEFGHIJKLMNOPQRST --no-results");
    ASSERT_EQ(label.status, 0);
    EXPECT_EQ(label.out.find("Results"), std::string::npos);
    EXPECT_EQ(Info(img)["label"], "ABCDEFGHIJKLMNOP");
}

TEST_F(CliMaintenance, AFormatThatCannotWriteEndsWithNothingToShow) {
    const std::string img = Blank("a.img");
    WriteText(img + ".faults", "write-protected\n");
    const auto before = ReadBytes(img);
    const CliRun run = Cmd("--drive " + img + " format");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("Results"), std::string::npos);
    EXPECT_EQ(ReadBytes(img), before);
}

TEST_F(CliMaintenance, TheFullTestBringsBackFilesAfterTheSystemAreaWasWiped) {
    const std::string img = Blank("a.img");
    ASSERT_EQ(Cmd("--drive " + img + " format --label KEEP").status, 0);
    const auto one = Pattern(30000, 1), two = Pattern(700, 2);
    ASSERT_EQ(Cmd("--drive " + img + " add " + Host("one.bin", one) + " " + Host("two.txt", two)).status, 0);
    EXPECT_EQ(Cmd("--drive " + img + " service test").status, 0);  // sound

    // Wipe sectors 1..63 and the reserve copy: nothing identifies the diskette any more.
    {
        auto bytes = ReadBytes(img);
        std::fill(bytes.begin() + 512, bytes.begin() + 64 * 512, 0);
        std::fill(bytes.end() - 512, bytes.end(), 0);
        WriteBytes(img, bytes);
    }
    EXPECT_EQ(Cmd("--drive " + img + " list").status, 1);
    // The system parts test offers the full test; Yes runs it at once, and the rebuild goes on.
    const CliRun service = Cmd("--drive " + img + " --answer yes --answer yes service test");
    ASSERT_EQ(service.status, 0) << service.err;
    EXPECT_NE(service.out.find("Test is done."), std::string::npos);
    const CliRun back = Cmd("--drive " + img + " copy one.bin " + dir.File("one.back"));
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadBytes(dir.File("one.back")), one);
    ASSERT_EQ(Cmd("--drive " + img + " copy two.txt " + dir.File("two.back")).status, 0);
    EXPECT_EQ(ReadBytes(dir.File("two.back")), two);
}

TEST_F(CliMaintenance, ARepairFileMendsACopyMadePastBadSectors) {
    const std::string img = Blank("a.img");
    ASSERT_EQ(Cmd("--drive " + img + " format").status, 0);
    const auto data = Pattern(10000, 7);
    const std::string source = Host("film.avi", data);
    ASSERT_EQ(Cmd("--drive " + img + " add " + source).status, 0);
    WriteText(img + ".faults", "unreadable 67\nunreadable 71\n");  // chain positions 3 and 7
    const std::string report = dir.File("report.txt");
    const CliRun copy = Cmd("--drive " + img + " --answer ok copy film.avi " + dir.File("damaged.avi") +
                            " --report " + report);
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(Slurp(report), "Start Byte:   0\r\n      3\r\n      7\r\n");
    EXPECT_NE(ReadBytes(dir.File("damaged.avi")), data);

    const std::string repair = dir.File("repair_film.avi");
    const CliRun create = Cmd("repair-create --sectors 3,7 --start 0 " + source + " " + repair);
    ASSERT_EQ(create.status, 0) << create.err;
    EXPECT_NE(create.err.find("1014 B copied"), std::string::npos);
    const CliRun apply = Cmd("repair-apply --sectors 3,7 " + repair + " " + dir.File("damaged.avi"));
    ASSERT_EQ(apply.status, 0) << apply.err;
    EXPECT_NE(apply.err.find("File has been repaired."), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("damaged.avi")), data);

    // The dialog's checks: out-of-range numbers and start bytes are refused.
    const CliRun zero = Cmd("repair-create --sectors 0 " + source + " " + dir.File("x"));
    EXPECT_EQ(zero.status, 1);
    EXPECT_NE(zero.err.find("Enter sector number between 1 and 2816"), std::string::npos);
    EXPECT_EQ(Cmd("repair-create --sectors 2817 " + source + " " + dir.File("x")).status, 1);
    EXPECT_EQ(Cmd("repair-create --sectors 3 --start 1000000001 " + source + " " + dir.File("x")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x")));
}

}  // namespace
}  // namespace orv::tests

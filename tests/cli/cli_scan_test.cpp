// scan over random boxes: the output is the same whatever the number of images read at once
// and whatever the form it takes; an extraction cut off anywhere and run again ends with the
// folder of one uninterrupted run; nothing is written through a link; two spread files of one
// name, size and date are never mixed.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "cli/console_progress.h"
#include "cli_fixture.h"
#include "support/scripted_user.h"

namespace orv::tests {
namespace {

namespace fs = std::filesystem;

// What a folder holds, path by path: the kind, the permission bits and the bytes of each (by
// their length and hash, which keeps a difference readable).
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string what = std::to_string(st.st_mode);
        if (S_ISREG(st.st_mode)) {
            const auto bytes = ReadBytes(entry.path().string());
            what +=
                " " + std::to_string(bytes.size()) + " bytes, hash " +
                std::to_string(std::hash<std::string>()(std::string(bytes.begin(), bytes.end())));
        }
        tree[name] = what;
    }
    return tree;
}

class CliScan : public Cli {
protected:
    // A box of random images: files of random sizes, sectors that do not read, a file spread
    // over two diskettes, a second read of one diskette, a .img file that is none.
    fs::path RandomBox(std::mt19937& rng, const std::string& name) {
        const fs::path box = dir.Path() / name;
        fs::create_directories(box / "sub");
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        const int images = pick(3, 6);
        for (int i = 0; i < images; ++i) {
            const std::string image =
                Formatted(name + (i % 2 ? "/sub/" : "/") + "d" + std::to_string(i) + ".img",
                          "D" + std::to_string(i));
            std::string add = "--drive " + image + " add";
            for (int f = pick(0, 4); f > 0; --f) {
                const std::string file = "f" + std::to_string(i) + "_" + std::to_string(f);
                add += " " + Host(file + ".bin",
                                  Pattern(std::size_t(pick(1, 90000)), std::uint32_t(rng())));
            }
            if (add.find(".bin") != std::string::npos) {
                EXPECT_EQ(Cmd(add).status, 0) << add;
            }
            std::string faults;
            for (int b = pick(0, 3); b > 0; --b)
                faults += "unreadable " + std::to_string(pick(64, 300)) + "\n";
            if (!faults.empty()) WriteText(image + ".faults", faults);
        }
        if (pick(0, 1)) {
            const std::string s1 = Formatted(name + "/s1.img", "S1");
            const std::string s2 = Formatted(name + "/sub/s2.img", "S2");
            const auto big = Pattern(std::size_t(BytesInUnits(kUnitCount) + pick(1, 200000)),
                                     std::uint32_t(rng()));
            EXPECT_EQ(Cmd("--drive " + s1 + " --then " + s2 + " --yes add " +
                          Host(name + "-big.bin", big))
                          .status,
                      0);
            if (pick(0, 1))
                WriteText(s2 + ".faults", "unreadable " + std::to_string(pick(64, 90)) + "\n");
            fs::copy_file(s2, box / "s2-again.img");  // another read of the second diskette
        }
        WriteText((box / "short.img").string(), "not a diskette");
        return box;
    }

    // Runs orvalis-cli in a process of its own and kills it after delay.
    void RunAndKill(const std::string& args, std::chrono::microseconds delay) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::execl("/bin/sh", "sh", "-c",
                    ("exec " + std::string(ORVALIS_CLI) + " " + args + " >/dev/null 2>&1").c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
};

// jsonl's lines, put together as --json gives them.
nlohmann::json JoinLines(const std::string& text) {
    nlohmann::json all{{"images", nlohmann::json::array()},
                       {"spread", nlohmann::json::array()},
                       {"not_images", nlohmann::json::array()}};
    std::istringstream in(text);
    std::string last;
    for (std::string line; std::getline(in, line);) {
        auto object = nlohmann::json::parse(line);
        last = object["kind"].get<std::string>();
        object.erase("kind");
        if (last == "image")
            all["images"].push_back(object);
        else if (last == "spread")
            all["spread"].push_back(object);
        else if (last == "not_image")
            all["not_images"].push_back(object);
        else if (last == "totals")
            all["totals"] = object;
        else
            ADD_FAILURE() << line;
    }
    EXPECT_EQ(last, "totals");  // the totals come last
    return all;
}

TEST_F(CliScan, ImagesReadAtOnceGiveTheOutputOfOneAtATimeInEveryForm) {
    std::mt19937 rng(26);
    for (int round = 0; round < 3; ++round) {
        const fs::path box = RandomBox(rng, "box" + std::to_string(round));
        for (const std::string form : {"", "--json ", "--jsonl "}) {
            const CliRun one = Cmd("scan --jobs 1 " + form + box.string());
            const CliRun three = Cmd("scan --jobs 3 " + form + box.string());
            ASSERT_EQ(one.status, 0) << one.err;
            EXPECT_EQ(three.status, 0);
            EXPECT_EQ(one.err, "");  // no progress where standard error is no terminal
            EXPECT_EQ(three.out, one.out) << form;
        }
        const auto json = nlohmann::json::parse(Cmd("scan --json " + box.string()).out);
        EXPECT_EQ(JoinLines(Cmd("scan --jsonl " + box.string()).out), json);
        EXPECT_EQ(json["totals"]["images"].get<std::size_t>(), json["images"].size());

        const fs::path one = dir.Path() / ("one" + std::to_string(round));
        const fs::path three = dir.Path() / ("three" + std::to_string(round));
        const CliRun a = Cmd("scan --jobs 1 --json --extract " + one.string() + " " + box.string());
        const CliRun b =
            Cmd("scan --jobs 3 --json --extract " + three.string() + " " + box.string());
        EXPECT_EQ(a.status, 0) << a.err;
        EXPECT_EQ(b.out, a.out);
        EXPECT_EQ(Tree(three), Tree(one));
        EXPECT_EQ(std::system(("cd " + one.string() +
                               " && for s in $(find . -name SHA256SUMS); do (cd $(dirname $s) && "
                               "sha256sum --quiet --strict -c SHA256SUMS) || exit 1; done")
                                  .c_str()),
                  0);
    }
}

TEST_F(CliScan, AnExtractionCutOffAnywhereAndRunAgainEndsWithTheFolderOfOneRun) {
    std::mt19937 rng(2605);
    for (int round = 0; round < 3; ++round) {
        const fs::path box = RandomBox(rng, "box" + std::to_string(round));
        const fs::path whole = dir.Path() / ("whole" + std::to_string(round));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(Cmd("scan --extract " + whole.string() + " " + box.string()).status, 0);
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        const auto reference = Tree(whole);

        const fs::path cut = dir.Path() / ("cut" + std::to_string(round));
        const std::string args = "scan --jobs " + std::to_string(1 + round % 3) + " --extract " +
                                 cut.string() + " " + box.string();
        for (int kill = 0; kill < 4; ++kill)
            RunAndKill(args, std::chrono::microseconds(
                                 std::uniform_int_distribution<long>(0, long(took.count()))(rng)));
        const CliRun rest = Cmd(args);
        ASSERT_EQ(rest.status, 0) << rest.err;
        EXPECT_EQ(Tree(cut), reference) << "round " << round;
        // A run over a complete folder changes nothing.
        EXPECT_EQ(Cmd(args).status, 0);
        EXPECT_EQ(Tree(cut), reference);
    }
}

TEST_F(CliScan, NothingIsWrittenThroughALinkInTheOutputFolder) {
    const fs::path box = dir.Path() / "box";
    fs::create_directories(box);
    const std::string a = Formatted("box/a.img", "A");
    const std::string b = Formatted("box/b.img", "B");
    ASSERT_EQ(Cmd("--drive " + a + " add " + Host("x.txt", Pattern(900, 1))).status, 0);
    ASSERT_EQ(Cmd("--drive " + b + " add " + Host("y.txt", Pattern(900, 2))).status, 0);
    const fs::path outside = dir.Path() / "outside";
    fs::create_directories(outside);
    // The output is the scanned folder itself, where a link stands under an image's name and
    // another under the name its unfinished folder takes.
    fs::create_directory_symlink(outside, box / "a");
    fs::create_directory_symlink(outside, box / ".b.partial");
    const CliRun run = Cmd("scan --extract " + box.string() + " " + box.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(box.string() + "/a exists; it is not overwritten."), std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_TRUE(fs::is_symlink(box / "a"));
    EXPECT_EQ(ReadBytes((box / "b" / "y.txt").string()), Pattern(900, 2));
    EXPECT_FALSE(fs::exists(fs::symlink_status(box / ".b.partial")));
}

TEST_F(CliScan, TwoSpreadFilesOfOneNameSizeAndDateAreNeverJoined) {
    const fs::path box = dir.Path() / "box";
    fs::create_directories(box);
    const std::size_t size = std::size_t(BytesInUnits(kUnitCount) + 7000);
    const std::string first = Host("big.bin", Pattern(size, 1));
    const std::string second = dir.File("other/big.bin");
    fs::create_directories(dir.Path() / "other");
    WriteBytes(second, Pattern(size, 2));
    fs::last_write_time(second, fs::last_write_time(first));
    const std::string a1 = Formatted("box/a1.img", "A1"), a2 = Formatted("box/a2.img", "A2");
    const std::string b1 = Formatted("box/b1.img", "B1"), b2 = Formatted("box/b2.img", "B2");
    ASSERT_EQ(Cmd("--drive " + a1 + " --then " + a2 + " --yes add " + first).status, 0);
    ASSERT_EQ(Cmd("--drive " + b1 + " --then " + b2 + " --yes add " + second).status, 0);

    CliRun run = Cmd("scan --json " + box.string());
    ASSERT_EQ(run.status, 0) << run.err;
    const auto spread = nlohmann::json::parse(run.out)["spread"];
    ASSERT_EQ(spread.size(), 1u);
    EXPECT_EQ(spread[0]["ambiguous"], true);
    EXPECT_EQ(spread[0]["complete"], false);
    EXPECT_EQ(spread[0]["candidates"], nlohmann::json::parse(R"([
        {"path": ")" + a1 + R"(", "part": 0}, {"path": ")" + b1 +
                                                             R"(", "part": 0},
        {"path": ")" + a2 + R"(", "part": 1}, {"path": ")" + b2 +
                                                             R"(", "part": 1}])"));
    run = Cmd("scan " + box.string());
    EXPECT_NE(run.out.find("big.bin, " + std::to_string(size) + " B: part 0 on " + a1 +
                           ", part 0 on " + b1),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("; ambiguous, two files of this name, size and date: part 0 on " + a1 +
                           ", part 0 on " + b1 + ", part 1 on " + a2 + ", part 1 on " + b2 +
                           " differ; not collected\n"),
              std::string::npos)
        << run.out;
    const fs::path out = dir.Path() / "out";
    ASSERT_EQ(Cmd("scan --extract " + out.string() + " " + box.string()).status, 0);
    EXPECT_FALSE(fs::exists(out / "big.bin"));
    EXPECT_EQ(ReadBytes((out / "a1" / "big.bin").string()).size(),
              std::size_t(BytesInUnits(kUnitCount)));  // each part stays in its image's folder
}

TEST(ScanProgress, BytesDoneAndTimeLeftFromThePaceSoFar) {
    using std::chrono::seconds;
    EXPECT_EQ(cli::AmountText(0, 3000000, seconds(5)), " 0.0 of 3.0 MB");
    EXPECT_EQ(cli::AmountText(1000000, 3000000, std::chrono::milliseconds(400)),
              " 1.0 of 3.0 MB");  // too soon for a pace
    EXPECT_EQ(cli::AmountText(1000000, 3000000, seconds(45)), " 1.0 of 3.0 MB, 1:30 left");
    EXPECT_EQ(cli::AmountText(3000000, 3000000, seconds(45)), " 3.0 of 3.0 MB");
}

// The progress line of a run that belongs to a batch says which file it is, as the window's
// title does; a run on its own, or after the batch, says nothing of one.
TEST(ScanProgress, ARunOfABatchSaysWhichFileItIs) {
    ScriptedUser user;
    cli::ConsoleProgressRunner runner(user, true);
    ProgressSpec display;
    display.title = "Copying";
    auto lineOf = [&] {
        std::ostringstream captured;
        std::streambuf* const old = std::cerr.rdbuf(captured.rdbuf());
        runner.RunProgress(display, [](IProgressSink& sink) { sink.SetPercent(50); });
        std::cerr.rdbuf(old);
        return captured.str();
    };
    {
        ProgressBatch batch(runner, 3);
        batch.File(2);
        EXPECT_NE(lineOf().find("Copying (file 2 of 3) 50%"), std::string::npos);
    }
    EXPECT_NE(lineOf().find("\rCopying 50%"), std::string::npos);
}

}  // namespace
}  // namespace orv::tests

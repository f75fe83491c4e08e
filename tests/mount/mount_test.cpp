// orvalis-mount on real FUSE mounts, used as a user uses a folder: cp, sha256sum, reads at any
// offset, extended attributes, writes through the add, removal through the delete, and the
// diskette held by the process that stays in the background. What the folder shows must be what
// the command line gives, and what it leaves on the diskette what the command line reads back.
// Needs /dev/fuse, fusermount3 and an orvalis-mount built with libfuse3; without them every case
// skips and says what is missing.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string_view>
#include <thread>

#include "cli/cli_fixture.h"
#include "disk/file_lock.h"
#include "fs/records.h"
#include "support/imd_writer.h"
#include "support/shell.h"

namespace orv::tests {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Why this machine cannot mount the folder; empty when it can.
std::string MissingForMounts() {
    if (std::string_view(ORVALIS_MOUNT).empty())
        return "orvalis-mount was not built: libfuse3 was not found when the build was "
               "configured (Debian: libfuse3-dev)";
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return "/dev/fuse is missing or not ours: no FUSE here";
    if (!OnPath("fusermount3")) return "fusermount3 is missing (Debian: fuse3)";
    return {};
}

// Whether a file system is mounted on the folder (a test folder's path has no blanks, which
// /proc/mounts would write otherwise).
bool IsMountPoint(const std::string& point) {
    std::ifstream mounts("/proc/mounts");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string source, target;
        fields >> source >> target;
        if (target == point) return true;
    }
    return false;
}

// One run of orvalis-mount (in the background unless the options say -f), unmounted when the
// object goes; Unmount waits until the program has let go of the diskette, so that the next
// command finds it free.
class Mount {
public:
    Mount(std::string image, std::string point, const std::string& options,
          const std::string& environment = "")
        : m_image(std::move(image)), m_point(std::move(point)) {
        m_status = Capture(environment + " timeout 30 " + std::string(ORVALIS_MOUNT) + " " +
                               m_image + " " + m_point + " " + options,
                           m_output);
    }
    ~Mount() { Unmount(); }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;

    bool Mounted() const { return m_status == 0; }
    // libfuse itself could not mount here (a container without the right, say).
    bool Refused() const { return m_status != 0 && m_output.find("fuse: ") != std::string::npos; }
    int Status() const { return m_status; }
    const std::string& Output() const { return m_output; }

    void Unmount() {
        if (m_status != 0) return;
        m_status = -1;
        // Gone already when the program was told to end.
        bool done = !IsMountPoint(m_point);
        for (int i = 0; i < 100 && !done; ++i) {
            std::string ignored;
            done = Capture("fusermount3 -u " + m_point, ignored) == 0;
            if (!done) std::this_thread::sleep_for(20ms);
        }
        if (!done) Quietly("fusermount3 -u -z " + m_point);
        for (int i = 0; i < 500 && !LockHolder(m_image).empty(); ++i)
            std::this_thread::sleep_for(10ms);
    }

private:
    std::string m_image, m_point, m_output;
    int m_status = -1;
};

// The sectors of a file's units in chain order, found by their owner tags (a fresh diskette
// holds no stale units).
std::vector<int> ChainSectors(const Bytes& image, int number) {
    std::vector<int> sectors;
    for (int s = kFirstDataSector; s < kSectorCount; ++s)
        if (OwnerTag(image.data() + std::size_t(s) * kSectorSize) == number) sectors.push_back(s);
    return sectors;
}

// Gives a file a name that no host file could have brought, as another program may have
// written it: the name field of its header unit.
void PatchName(const std::string& image, int number, const std::string& name) {
    Bytes bytes = ReadBytes(image);
    const int header = ChainSectors(bytes, number).at(0);
    PutFieldText(bytes.data() + std::size_t(header) * kSectorSize + rec::header::kName,
                 rec::header::kNameWidth, name);
    WriteBytes(image, bytes);
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

int ErrnoOfOpen(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}

class MountTest : public Cli {
protected:
    void SetUp() override {
        const std::string missing = MissingForMounts();
        if (!missing.empty()) GTEST_SKIP() << missing;
        fs::create_directory(point);
    }

    // Mounts, or skips where this machine does not let a FUSE file system be mounted.
    std::optional<Mount>& MountIt(const std::string& image, const std::string& options,
                                  const std::string& environment = "") {
        mount.emplace(image, point, options, environment);
        if (mount->Refused())
            ADD_FAILURE() << "cannot mount here: " << mount->Output();
        else
            EXPECT_TRUE(mount->Mounted()) << mount->Output();
        return mount;
    }

    CliRun Shell(const std::string& line) {
        const std::string out = dir.File("shell-out"), err = dir.File("shell-err");
        const int rc = std::system((line + " >" + out + " 2>" + err + " </dev/null").c_str());
        CliRun run;
        run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    std::int64_t FreeBytes(const std::string& image) {
        return nlohmann::json::parse(Cmd("--drive " + image + " info --json").out)["free"];
    }

    std::string In(const std::string& name) const { return point + "/" + name; }

    const std::string point = dir.File("mnt");
    std::optional<Mount> mount;
};

TEST_F(MountTest, TheFolderHoldsWhatCopyToGivesAndReadsAtAnyOffsetAreExact) {
    const std::string image = Formatted("d.img", "FOLDER");
    fs::create_directory(dir.Path() / "other");
    const std::string readOnly = Host("keep.txt", Pattern(1234, 5));
    ::chmod(readOnly.c_str(), 0444);
    const CliRun add =
        Cmd("--drive " + image + " add " + Host("notes.txt", Pattern(700, 1)) + " " +
            Host("other/notes.txt", Pattern(3000, 2)) + " " + Host("photo.jpg", Pattern(60000, 3)) +
            " " + Host("empty", {}) + " " + readOnly + " " + Host("slash", Pattern(900, 6)) + " " +
            Host("old.txt", Pattern(2100, 7)));
    ASSERT_EQ(add.status, 0) << add.err;
    // Names that other programs may have written: a '/', and the old code page.
    PatchName(image, 6, "a/b");
    PatchName(image, 7,
              "\xe8"
              "ern\xfd");
    const std::string copied = dir.File("copy-to");
    fs::create_directory(copied);
    const CliRun copyTo = Cmd("--drive " + image + " copy-to " + copied);
    ASSERT_EQ(copyTo.status, 0) << copyTo.err;
    const std::int64_t free = FreeBytes(image);

    if (!MountIt(image, "")->Mounted()) return;
    EXPECT_EQ(Names(point), Names(copied));
    EXPECT_EQ(Names(point),
              (std::set<std::string>{"notes.txt", "notes.txt #2", "photo.jpg", "empty", "keep.txt",
                                     "a_b", "\u010dern\u00fd.txt"}));
    const CliRun cp = Shell("cp -r " + point + "/. " + dir.File("cp"));
    ASSERT_EQ(cp.status, 0) << cp.err;
    const std::string sums = "sha256sum -- * | sort";
    const CliRun fromMount = Shell("cd " + dir.File("cp") + " && " + sums);
    const CliRun fromCopyTo = Shell("cd " + copied + " && " + sums);
    ASSERT_EQ(fromMount.status, 0) << fromMount.err;
    EXPECT_EQ(fromMount.out, fromCopyTo.out);

    for (const std::string& name : Names(copied)) {
        struct stat shown {
        }, restored{};
        ASSERT_EQ(::stat(In(name).c_str(), &shown), 0) << name;
        ASSERT_EQ(::stat((copied + "/" + name).c_str(), &restored), 0) << name;
        EXPECT_EQ(shown.st_size, restored.st_size) << name;
        EXPECT_EQ(shown.st_mtime, restored.st_mtime) << name;
        EXPECT_EQ(shown.st_mode & 0777, name == "keep.txt" ? 0444u : 0644u) << name;
        char bad[16];
        EXPECT_EQ(::getxattr(In(name).c_str(), "user.orvalis.bad", bad, sizeof bad), 0) << name;
    }

    // Random pieces of every file, through one descriptor each.
    std::mt19937 rng(24);
    const std::set<std::string> copiedNames = Names(copied);
    const std::vector<std::string> names(copiedNames.begin(), copiedNames.end());
    std::map<std::string, int> fds;
    for (const std::string& name : names)
        fds[name] = ::open(In(name).c_str(), O_RDONLY | O_CLOEXEC);
    for (int i = 0; i < 300; ++i) {
        const std::string& name = names[rng() % names.size()];
        const Bytes want = ReadBytes(copied + "/" + name);
        const std::size_t offset = rng() % (want.size() + 10);
        const std::size_t length = rng() % 5000;
        Bytes got(length + 1);
        const ssize_t n = ::pread(fds[name], got.data(), length, off_t(offset));
        const std::size_t expected =
            offset >= want.size() ? 0 : std::min(length, want.size() - offset);
        ASSERT_EQ(n, ssize_t(expected)) << name << " at " << offset << " for " << length;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + n, want.begin() + long(offset)))
            << name << " at " << offset;
    }
    for (const auto& entry : fds) ::close(entry.second);

    struct statvfs sv {};
    ASSERT_EQ(::statvfs(point.c_str(), &sv), 0);
    EXPECT_EQ(std::int64_t(sv.f_bavail * sv.f_frsize), free);
    // Read-only: the kernel refuses every change, and the diskette never sees one.
    const Bytes before = ReadBytes(image);
    EXPECT_EQ(ErrnoOfOpen(In("new.txt"), O_CREAT | O_WRONLY), EROFS);
    EXPECT_EQ(::unlink(In("photo.jpg").c_str()) == 0 ? 0 : errno, EROFS);
    mount->Unmount();
    EXPECT_TRUE(ReadBytes(image) == before);
}

TEST_F(MountTest, ADamagedFileFailsWhereItsPiecesFailAndFillerGivesWhatCopyWrites) {
    const std::string image = Formatted("d.img", "WORN");
    const Bytes data = Pattern(6000, 9);
    ASSERT_EQ(Cmd("--drive " + image + " add " + Host("worn.bin", data) + " " +
                  Host("other.bin", Pattern(600, 4)))
                  .status,
              0);
    // Chain position 3 does not read; position 7 holds a unit of the other file.
    Bytes bytes = ReadBytes(image);
    const std::vector<int> chain = ChainSectors(bytes, 1);
    ASSERT_EQ(chain.size(), std::size_t(UnitsForBytes(6000)));
    const int stranger = ChainSectors(bytes, 2).at(1);
    std::copy_n(bytes.begin() + long(stranger) * kSectorSize, kSectorSize,
                bytes.begin() + long(chain[7]) * kSectorSize);
    WriteBytes(image, bytes);
    WriteText(image + ".faults", "unreadable " + std::to_string(chain[3]) + "\n");
    const std::string copy = dir.File("worn.copy");
    ASSERT_EQ(Cmd("--drive " + image + " --answer ok copy worn.bin " + copy).status, 0);

    if (!MountIt(image, "")->Mounted()) return;
    char bad[32] = {};
    ASSERT_EQ(::getxattr(In("worn.bin").c_str(), "user.orvalis.bad", bad, sizeof bad), 3);
    EXPECT_STREQ(bad, "3,7");
    EXPECT_EQ(::getxattr(In("other.bin").c_str(), "user.orvalis.bad", bad, sizeof bad), 0);
    char list[64];
    EXPECT_EQ(::listxattr(In("worn.bin").c_str(), list, sizeof list),
              ssize_t(sizeof "user.orvalis.bad"));

    // Read on as cat does: the bytes before the bad piece, then EIO, as a bad disk fails.
    const int fd = ::open(In("worn.bin").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    Bytes buffer(65536);
    const ssize_t first = ::read(fd, buffer.data(), buffer.size());
    ASSERT_EQ(first, ssize_t(ChainPieceOffset(3)));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + first, data.begin()));
    errno = 0;
    EXPECT_EQ(::read(fd, buffer.data(), buffer.size()), -1);
    EXPECT_EQ(errno, EIO);
    // Between the two bad pieces, and behind the last.
    EXPECT_EQ(::pread(fd, buffer.data(), buffer.size(), ChainPieceOffset(4)),
              ssize_t(ChainPieceOffset(7) - ChainPieceOffset(4)));
    const ssize_t tail = ::pread(fd, buffer.data(), buffer.size(), ChainPieceOffset(8));
    ASSERT_EQ(tail, ssize_t(6000 - ChainPieceOffset(8)));
    EXPECT_TRUE(
        std::equal(buffer.begin(), buffer.begin() + tail, data.begin() + ChainPieceOffset(8)));
    ::close(fd);
    mount->Unmount();

    if (!MountIt(image, "-o filler")->Mounted()) return;
    EXPECT_TRUE(ReadBytes(In("worn.bin")) == ReadBytes(copy));
}

// An image that ddrescue read: what its mapfile says did not read fails as a bad piece, with
// the mapfile found beside the image as the command line finds it, or named.
TEST_F(MountTest, AnImageThatDdrescueReadFailsWhereItsMapfileSaysItDidNotRead) {
    const std::string image = Formatted("d.img", "RESCUED");
    ASSERT_EQ(Cmd("--drive " + image + " add " + Host("film.avi", Pattern(4000, 3))).status, 0);
    const int lost = ChainSectors(ReadBytes(image), 1).at(2);
    const std::string map = "# Mapfile. Created by GNU ddrescue\n0 +\n0 " +
                            std::to_string(lost * kSectorSize) + " +\n" +
                            std::to_string(lost * kSectorSize) + " 512 -\n" +
                            std::to_string((lost + 1) * kSectorSize) + " " +
                            std::to_string((kSectorCount - lost - 1) * kSectorSize) + " +\n";
    for (const std::string& where : {image + ".map", dir.File("runs.map")}) {
        SCOPED_TRACE(where);
        WriteText(where, map);
        const std::string option = where == image + ".map" ? "" : "-o mapfile=" + where;
        if (!MountIt(image, option)->Mounted()) return;
        char bad[16] = {};
        EXPECT_EQ(::getxattr(In("film.avi").c_str(), "user.orvalis.bad", bad, sizeof bad), 1);
        EXPECT_STREQ(bad, "2");
        mount->Unmount();
        fs::remove(where);
    }
}

TEST_F(MountTest, FilesGoOnThroughTheAddAndAwayThroughTheDeleteAndNothingElseChanges) {
    const std::string image = Formatted("d.img", "WRITE");
    ASSERT_EQ(Cmd("--drive " + image + " add " + Host("keep.txt", Pattern(3000, 1)) + " " +
                  Host("gone.txt", Pattern(1000, 2)))
                  .status,
              0);
    std::map<std::string, Bytes> want{{"keep.txt", Pattern(3000, 1)},
                                      {"big.bin", Pattern(100000, 3)},
                                      {"small", Pattern(10, 4)},
                                      {"hello.txt", {'h', 'i', '\n'}},
                                      {"empty", {}},
                                      {"dd.bin", Pattern(5000, 5)},
                                      {"forked.bin", Pattern(3000, 6)}};
    if (!MountIt(image, "-o rw")->Mounted()) return;
    EXPECT_EQ(Shell("cp " + Host("big.bin", want["big.bin"]) + " " + Host("small", want["small"]) +
                    " " + point)
                  .status,
              0);
    // A shell and dd hand the new file to the writer before anything is written.
    EXPECT_EQ(Shell("sh -c 'echo hi > " + In("hello.txt") + "'").status, 0);
    EXPECT_EQ(Shell("touch " + In("empty")).status, 0);
    const CliRun dd =
        Shell("dd if=" + Host("dd.src", want["dd.bin"]) + " of=" + In("dd.bin") + " bs=1000");
    EXPECT_EQ(dd.status, 0) << dd.err;
    EXPECT_EQ(::unlink(In("gone.txt").c_str()), 0) << std::strerror(errno);
    // A child that ends in the middle closes its copy of the writer's descriptor: the file is
    // stored when its writer closes it, whole.
    const int forked = ::open(In("forked.bin").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(forked, 0);
    EXPECT_EQ(::write(forked, want["forked.bin"].data(), 1000), 1000);
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(::write(forked, want["forked.bin"].data() + 1000, 2000), 2000)
        << std::strerror(errno);
    EXPECT_EQ(::close(forked), 0) << std::strerror(errno);

    // Refused, and nothing of them reaches the diskette.
    EXPECT_EQ(ErrnoOfOpen(In("page.html"), O_CREAT | O_WRONLY), ENAMETOOLONG);
    EXPECT_EQ(ErrnoOfOpen(In(std::string(50, 'n') + ".txt"), O_CREAT | O_WRONLY), ENAMETOOLONG);
    EXPECT_EQ(ErrnoOfOpen(In("bell\a"), O_CREAT | O_WRONLY), EINVAL);
    EXPECT_EQ(ErrnoOfOpen(In("keep.txt"), O_WRONLY), EPERM);
    EXPECT_EQ(ErrnoOfOpen(In("keep.txt"), O_WRONLY | O_TRUNC), EPERM);
    EXPECT_EQ(::truncate(In("keep.txt").c_str(), 10) == 0 ? 0 : errno, EPERM);
    EXPECT_EQ(::mkdir(In("folder").c_str(), 0755) == 0 ? 0 : errno, EPERM);
    EXPECT_EQ(::rename(In("keep.txt").c_str(), In("kept.txt").c_str()) == 0 ? 0 : errno, ENOTSUP);
    const int back = ::open(In("back.bin").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(back, 0);
    EXPECT_EQ(::write(back, "0123456789", 10), 10);
    struct stat pending {};
    EXPECT_EQ(::stat(In("back.bin").c_str(), &pending), 0);
    EXPECT_EQ(pending.st_size, 10);
    EXPECT_EQ(::pwrite(back, "x", 1, 3) == 1 ? 0 : errno, ESPIPE);
    EXPECT_EQ(::close(back) == 0 ? 0 : errno, ESPIPE);

    struct statvfs sv {};
    ASSERT_EQ(::statvfs(point.c_str(), &sv), 0);
    std::set<std::string> names;
    for (const auto& file : want) names.insert(file.first);
    EXPECT_EQ(Names(point), names);
    mount->Unmount();

    // The diskette as the command line sees it.
    std::set<std::string> listed;
    for (const auto& row : ListJson(image)) listed.insert(row["name"].get<std::string>());
    EXPECT_EQ(listed, names);
    EXPECT_EQ(std::int64_t(sv.f_bavail * sv.f_frsize), FreeBytes(image));
    const std::string out = dir.File("back");
    fs::create_directory(out);
    ASSERT_EQ(Cmd("--drive " + image + " copy-to " + out).status, 0);
    for (const auto& [name, bytes] : want)
        EXPECT_TRUE(ReadBytes(out + "/" + name) == bytes) << name;
    const CliRun test = Cmd("--drive " + image + " --answer no service test");
    EXPECT_EQ(test.status, 0) << test.err;

    // And as a fresh mount sees it.
    if (!MountIt(image, "")->Mounted()) return;
    EXPECT_EQ(Names(point), names);
    EXPECT_TRUE(ReadBytes(In("big.bin")) == want["big.bin"]);
}

TEST_F(MountTest, WhatDoesNotFitFailsWithEnospcAndLeavesNothingBehind) {
    const std::string image = Formatted("d.img", "FULL");
    ASSERT_EQ(Cmd("--drive " + image + " add " +
                  Host("fill.bin", Pattern(std::size_t(BytesInUnits(kUnitCount - 10)), 1)))
                  .status,
              0);
    // Three of the ten free units refuse writes: a file that the free space takes on paper
    // meets them only while it is written.
    Bytes bytes = ReadBytes(image);
    const std::vector<int> used = ChainSectors(bytes, 1);
    std::vector<int> freeSectors;
    for (int s = kFirstDataSector; s < kSectorCount; ++s)
        if (std::find(used.begin(), used.end(), s) == used.end()) freeSectors.push_back(s);
    ASSERT_EQ(freeSectors.size(), 10u);
    WriteText(image + ".faults", "unwritable " + std::to_string(freeSectors[1]) + "-" +
                                     std::to_string(freeSectors[3]) + "\n");
    const std::int64_t free = FreeBytes(image);

    if (!MountIt(image, "-o rw")->Mounted()) return;
    const CliRun tooBig =
        Shell("cp " + Host("big.bin", Pattern(std::size_t(free) + 1, 2)) + " " + point);
    EXPECT_NE(tooBig.status, 0);
    EXPECT_NE(tooBig.err.find("No space left on device"), std::string::npos) << tooBig.err;
    const CliRun meetsBad =
        Shell("cp " + Host("nine.bin", Pattern(std::size_t(BytesInUnits(9)), 3)) + " " + point);
    EXPECT_NE(meetsBad.status, 0);
    EXPECT_NE(meetsBad.err.find("No space left on device"), std::string::npos) << meetsBad.err;
    EXPECT_EQ(Names(point), std::set<std::string>{"fill.bin"});
    // What fits the units that take writes goes on.
    EXPECT_EQ(
        Shell("cp " + Host("seven.bin", Pattern(std::size_t(BytesInUnits(7)), 4)) + " " + point)
            .status,
        0);
    mount->Unmount();

    const auto list = ListJson(image);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]["name"], "seven.bin");
    const auto info = nlohmann::json::parse(Cmd("--drive " + image + " info --json").out);
    EXPECT_EQ(info["bad"].get<int>(), 3 * kUnitDataBytes);
    EXPECT_EQ(info["free"].get<int>(), 0);
}

TEST_F(MountTest, TheProcessThatStaysHoldsTheDisketteAndEndsWithoutAHalfFile) {
    const std::string image = Formatted("d.img", "HELD");
    ASSERT_EQ(Cmd("--drive " + image + " add " + Host("a.txt", Pattern(100, 1))).status, 0);
    const std::string staging = dir.File("tmp");
    fs::create_directory(staging);
    if (!MountIt(image, "-o rw", "TMPDIR=" + staging)->Mounted()) return;

    // The command has returned; the one that serves the folder holds the diskette.
    const std::string holder = LockHolder(image);
    ASSERT_EQ(holder.rfind("process ", 0), 0u) << holder;
    const pid_t served = pid_t(std::stol(holder.substr(8)));
    EXPECT_EQ(holder, "process " + std::to_string(served) + ", orvalis-mount");
    const CliRun list = Cmd("--drive " + image + " list");
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find("in use by another program (" + holder + ")"), std::string::npos)
        << list.err;
    Mount second(image, dir.File("elsewhere"), "");
    EXPECT_EQ(second.Status(), 1);
    EXPECT_NE(second.Output().find("in use by another program (" + holder + ")"), std::string::npos)
        << second.Output();

    // Ended while a file is half written: the file never reaches the diskette.
    const int fd = ::open(In("half.bin").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, "abc", 3), 3);
    ASSERT_EQ(::kill(served, SIGTERM), 0);
    for (int i = 0; i < 500 && !LockHolder(image).empty(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(LockHolder(image), "");
    EXPECT_FALSE(IsMountPoint(point)) << "the program takes its folder away as it ends";
    EXPECT_NE(::write(fd, "def", 3), 3);
    ::close(fd);
    mount.reset();
    const auto rows = ListJson(image);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]["name"], "a.txt");
    EXPECT_TRUE(fs::is_empty(staging)) << "the private folder of the writes stays behind";
}

TEST_F(MountTest, ADisketteThatTakesNoWritesIsMountedReadOnlyOrRefusedForWriting) {
    const std::string image = Formatted("d.img", "TAB");
    ASSERT_EQ(Cmd("--drive " + image + " add " + Host("a.txt", Pattern(100, 1))).status, 0);
    WriteText(image + ".faults", "write-protected\n");
    if (!MountIt(image, "-o rw")->Mounted()) return;
    EXPECT_NE(mount->Output().find("write-protected: mounted read-only"), std::string::npos)
        << mount->Output();
    EXPECT_EQ(ErrnoOfOpen(In("new.txt"), O_CREAT | O_WRONLY), EROFS);
    mount->Unmount();

    fs::remove(image + ".faults");
    const std::string imd = dir.File("d.imd");
    WriteBytes(imd, WriteImd(ReadBytes(image)));
    Mount refused(imd, point, "-o rw");
    EXPECT_EQ(refused.Status(), 1);
    EXPECT_NE(refused.Output().find("ImageDisk"), std::string::npos) << refused.Output();
    if (!MountIt(imd, "")->Mounted()) return;
    EXPECT_TRUE(ReadBytes(In("a.txt")) == Pattern(100, 1));
    mount->Unmount();

    // A read-only image file is the user's to make writable: mounted read-only, not refused.
    fs::permissions(image, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (!MountIt(image, "-o rw")->Mounted()) return;
    EXPECT_NE(mount->Output().find("is a read-only file"), std::string::npos) << mount->Output();
    EXPECT_NE(mount->Output().find("Mounted read-only."), std::string::npos) << mount->Output();
    EXPECT_EQ(ErrnoOfOpen(In("new.txt"), O_CREAT | O_WRONLY), EROFS);
    EXPECT_TRUE(ReadBytes(In("a.txt")) == Pattern(100, 1));
}

TEST(MountCommandLine, UsageErrorsEndWithStatus2AndSayWhy) {
    if (std::string_view(ORVALIS_MOUNT).empty())
        GTEST_SKIP() << "orvalis-mount was not built: libfuse3 was not found when the build was "
                        "configured (Debian: libfuse3-dev)";
    std::string out;
    EXPECT_EQ(Capture(std::string(ORVALIS_MOUNT) + " only-one", out), 2);
    EXPECT_NE(out.find("SOURCE and MOUNTPOINT are needed"), std::string::npos) << out;
    EXPECT_EQ(Capture(std::string(ORVALIS_MOUNT) + " a b c", out), 2);
    EXPECT_NE(out.find("too many arguments: c"), std::string::npos) << out;
    EXPECT_EQ(Capture(std::string(ORVALIS_MOUNT) + " a b -x", out), 2);
    EXPECT_NE(out.find("unknown option -x"), std::string::npos) << out;
    EXPECT_EQ(Capture(std::string(ORVALIS_MOUNT) + " --help", out), 0);
    EXPECT_NE(out.find("-o filler"), std::string::npos) << out;
}

}  // namespace
}  // namespace orv::tests

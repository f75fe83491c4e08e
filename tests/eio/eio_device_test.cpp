// A diskette whose sectors fail in the kernel, not in our fault model: eio-fuse serves a
// formatted image and fails chosen sectors with EIO, a read-only loop device over the served
// file is drive A:, and orvalis-cli and GNU ddrescue read it. What they say failed must be
// exactly what failed, and everything else exactly what the diskette holds. Needs root,
// /dev/fuse, loop devices, fusermount3 and losetup (and ddrescue for its cases); without them
// each case skips and says what is missing.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>

#include "cli/cli_fixture.h"
#include "disk/fault_map.h"
#include "host/unique_fd.h"
#include "support/shell.h"

namespace orv::tests {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kCylinderSectors = kSectorsPerTrack * kHeads;

// Why this machine cannot give the tests a device with kernel read errors; empty when it can.
std::string MissingForKernelErrors() {
    if (std::string_view(ORVALIS_EIO_FUSE).empty())
        return "eio-fuse was not built: libfuse3 was not found when the build was configured "
               "(Debian: libfuse3-dev)";
    if (::geteuid() != 0) return "not root: a FUSE mount under a loop device needs root";
    if (::access("/dev/fuse", F_OK) != 0) return "/dev/fuse is missing: no FUSE here";
    if (::access("/dev/loop-control", F_OK) != 0)
        return "/dev/loop-control is missing: no loop devices here";
    if (!OnPath("fusermount3")) return "fusermount3 is missing (Debian: fuse3)";
    if (!OnPath("losetup")) return "losetup is missing (Debian: mount)";
    return {};
}

// The image served by eio-fuse, unmounted again when the object goes.
class FuseMount {
public:
    FuseMount(const std::string& image, const std::string& sectors, const std::string& point)
        : m_point(point) {
        m_status = Capture("timeout 30 " + std::string(ORVALIS_EIO_FUSE) + " " + image + " " +
                               sectors + " " + point,
                           m_output);
    }
    ~FuseMount() {
        if (m_status != 0) return;
        // A loop device lets go of its file a moment after it is detached: until then the
        // mount is busy.
        for (int i = 0; i < 250; ++i) {
            std::string ignored;
            if (Capture("fusermount3 -u " + m_point, ignored) == 0) return;
            ::usleep(20'000);
        }
        Quietly("fusermount3 -u -z " + m_point);
    }
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool Mounted() const { return m_status == 0; }
    bool Refused() const { return m_status == 3; }  // eio-fuse: this machine does not let us
    const std::string& Output() const { return m_output; }

private:
    std::string m_point;
    std::string m_output;
    int m_status = -1;
};

// A read-only loop device of 512-byte sectors over a file, detached when the object goes.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& file) {
        const std::string attach =
            "timeout 30 losetup --find --show --read-only --sector-size 512 --direct-io=on ";
        const int status = Capture(attach + file, m_output);
        // losetup may warn before it names the device (direct I/O that the file refuses).
        const std::size_t at = m_output.rfind("/dev/");
        if (status == 0 && at != std::string::npos && m_output.find('\n', at) == std::string::npos)
            m_device = m_output.substr(at);
    }
    ~LoopDevice() {
        if (!m_device.empty()) Quietly("losetup -d " + m_device);
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    const std::string& Device() const { return m_device; }
    const std::string& Output() const { return m_output; }

private:
    std::string m_device;
    std::string m_output;
};

struct AlignedFree {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

// Index of the first byte where two byte strings differ (their common length when one is a
// prefix of the other), or -1 when they are equal.
long FirstDifference(const Bytes& a, const Bytes& b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (ia == a.end() && ib == b.end()) return -1;
    return long(ia - a.begin());
}

struct StoredFile {
    std::string name;
    Bytes data;
    std::vector<std::uint32_t> failing;  // chain positions whose units the device fails
};

class KernelReadErrors : public Cli {
protected:
    void SetUp() override {
        const std::string missing = MissingForKernelErrors();
        if (!missing.empty()) GTEST_SKIP() << missing;
        MakeDiskette();
        if (HasFatalFailure()) return;
        ChooseFailingSectors();
        if (HasFatalFailure()) return;

        const std::string point = dir.File("mnt");
        std::filesystem::create_directory(point);
        mount.emplace(source, SectorList(), point);
        if (mount->Refused())
            GTEST_SKIP() << "this machine does not let us mount a FUSE file system: "
                         << mount->Output();
        ASSERT_TRUE(mount->Mounted()) << "eio-fuse: " << mount->Output();
        loop.emplace(point + "/disk");
        if (loop->Device().empty())
            GTEST_SKIP() << "this machine does not let us attach a loop device: " << loop->Output();
        device = loop->Device();
    }

    // A diskette as a user makes one: three files, one of them left intact.
    void MakeDiskette() {
        source = dir.File("diskette.img");
        ASSERT_EQ(Cmd("mkimage " + source).status, 0);
        const CliRun format = Cmd("--drive " + source + " --yes format --label WORN --no-results");
        ASSERT_EQ(format.status, 0) << format.err;
        // 7 units; 40 units, of which two neighbours fail and the last, which holds only 286
        // bytes; 2 units.
        files = {{"letters.txt", Pattern(3000, 1), {2}},
                 {"photo.jpg", Pattern(20000, 2), {5, 6, 39}},
                 {"notes.txt", Pattern(700, 3), {}}};
        std::string names;
        for (const StoredFile& file : files) names += " " + Host(file.name, file.data);
        const CliRun add = Cmd("--drive " + source + " add" + names);
        ASSERT_EQ(add.status, 0) << add.err;
    }

    // The sectors of the files' failing units, as the table gives them, and three of the
    // system area that the diskette keeps elsewhere as well: the second ID sector, the first
    // sector of the second table copy and the last sector (the reserve ID copy), whose loss
    // also leaves ddrescue's image short.
    void ChooseFailingSectors() {
        CDrive drive;
        std::string error;
        ASSERT_TRUE(drive.Insert(source, error)) << error;
        CVolume volume(&drive);
        ASSERT_TRUE(OpenVolume(volume));
        failing = {volume.Ids().positions[1], volume.Fat().pos2[0], kReserveIdSector};
        ASSERT_EQ(failing.size(), 3u);
        std::size_t count = failing.size();
        const nlohmann::json list = ListJson(source);
        ASSERT_EQ(list.size(), files.size());
        for (const auto& row : list) {
            auto file = std::find_if(files.begin(), files.end(),
                                     [&](const StoredFile& f) { return f.name == row["name"]; });
            ASSERT_NE(file, files.end()) << row.dump();
            std::vector<int> chain;
            for (int unit = 0; unit < kUnitCount; ++unit)
                if (volume.Fat().entries[std::size_t(unit)] == row["number"].get<int>())
                    chain.push_back(SectorOfUnit(unit));
            ASSERT_EQ(chain.size(), std::size_t(UnitsForBytes(std::int32_t(file->data.size()))));
            for (std::uint32_t position : file->failing) failing.insert(chain.at(position));
            count += file->failing.size();
        }
        ASSERT_EQ(failing.size(), count) << "a file unit among the system sectors";
    }

    std::string SectorList() const {
        std::string list;
        for (int s : failing) list += (list.empty() ? "" : ",") + std::to_string(s);
        return list;
    }
    std::vector<int> Failing() const { return {failing.begin(), failing.end()}; }

    // Runs a shell line as Cmd runs orvalis-cli.
    CliRun Shell(const std::string& line) {
        const std::string out = dir.File("shell-out"), err = dir.File("shell-err");
        const int rc = std::system((line + " >" + out + " 2>" + err + " </dev/null").c_str());
        CliRun run;
        run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    // The sectors of an image that hold neither what the diskette holds nor, where the device
    // failed, zeros; a sector missing from a short image counts only where it read.
    std::vector<int> WrongSectors(const std::string& image, bool failedAreZero) const {
        const Bytes want = ReadBytes(source), got = ReadBytes(image);
        const Bytes zero(kSectorSize, 0);
        std::vector<int> wrong;
        for (int s = 0; s < kSectorCount; ++s) {
            const std::size_t at = std::size_t(s) * kSectorSize;
            const bool present = got.size() >= at + kSectorSize;
            const bool failed = failing.count(s) != 0;
            if (failed && !failedAreZero) continue;
            if (!present) {
                if (!failed) wrong.push_back(s);
                continue;
            }
            const auto from = got.begin() + long(at);
            if (!std::equal(from, from + kSectorSize,
                            failed ? zero.begin() : want.begin() + long(at)))
                wrong.push_back(s);
        }
        return wrong;
    }

    // Copies every file with the given options before the command: each failing chain position
    // reported in --report-json (with its offset and filler length), filled with 'X', and
    // every other byte as stored.
    void ExpectCopiesReportExactlyTheFailedUnits(const std::string& options) {
        for (const StoredFile& file : files) {
            SCOPED_TRACE(file.name + " with " + options);
            const std::string out = dir.File("back-" + file.name);
            const std::string json = dir.File(file.name + ".json");
            std::filesystem::remove(json);
            const CliRun run = Cmd(options + " --answer ok copy " + file.name + " " + out +
                                   " --report-json " + json);
            EXPECT_EQ(run.status, 0) << run.err;
            Bytes expected = file.data;
            std::vector<std::uint32_t> reported;
            if (std::filesystem::exists(json)) {
                const auto report = nlohmann::json::parse(Slurp(json));
                EXPECT_EQ(report["name"], file.name);
                EXPECT_EQ(report["size"], file.data.size());
                const auto size = std::int32_t(file.data.size());
                for (const auto& bad : report["bad"]) {
                    const auto position = bad["position"].get<std::uint32_t>();
                    reported.push_back(position);
                    const std::int32_t offset = ChainPieceOffset(position);
                    if (offset >= size) continue;  // reported past the end: fails below
                    const std::int32_t length =
                        std::min(ChainPieceCapacity(position), size - offset);
                    EXPECT_EQ(bad["offset"], offset);
                    EXPECT_EQ(bad["length"], length);
                    std::fill_n(expected.begin() + offset, length, std::uint8_t('X'));
                }
            }
            EXPECT_EQ(reported, file.failing);
            EXPECT_EQ(FirstDifference(ReadBytes(out), expected), -1);
        }
    }

    // GNU ddrescue's image and mapfile of the device, as an archivist makes them.
    void RunDdrescue() {
        if (!OnPath("ddrescue") || !OnPath("ddrescuelog"))
            GTEST_SKIP() << "GNU ddrescue is missing (Debian: gddrescue)";
        const CliRun run =
            Shell("timeout 120 ddrescue -d -r1 " + device + " " + ddImage + " " + ddMap);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
    }

    std::string source;
    std::vector<StoredFile> files;
    std::set<int> failing;
    // The loop device goes before the mount it reads from, both before the folder they are in.
    std::optional<FuseMount> mount;
    std::optional<LoopDevice> loop;
    std::string device;
    const std::string ddImage = dir.File("DD.img");
    const std::string ddMap = dir.File("DD.map");
};

TEST(EioFuse, RefusesSectorsThatAreNotInTheImage) {
    if (std::string_view(ORVALIS_EIO_FUSE).empty())
        GTEST_SKIP() << "eio-fuse was not built: libfuse3 was not found when the build was "
                        "configured (Debian: libfuse3-dev)";
    TempDir dir;
    const std::string image = dir.File("small.img");
    WriteBytes(image, Bytes(4 * kSectorSize, 0));
    const std::string helper = ORVALIS_EIO_FUSE;
    const std::string point = " " + dir.Path().string();
    std::string out;
    EXPECT_EQ(Capture(helper + " " + image + " 1,4" + point, out), 2);
    EXPECT_NE(out.find("sector 4 is not in the image (sectors 0..3)"), std::string::npos) << out;
    EXPECT_EQ(Capture(helper + " " + image + " 1,3-1" + point, out), 2);
    EXPECT_NE(out.find("not a sector or a range of sectors: \"3-1\""), std::string::npos) << out;
    EXPECT_EQ(Capture(helper + " " + dir.File("none.img") + " none" + point, out), 2);
    EXPECT_NE(out.find("none.img: No such file or directory"), std::string::npos) << out;
    EXPECT_EQ(Capture(helper + " " + image + point, out), 2);
    EXPECT_NE(out.find("usage:"), std::string::npos) << out;
}

TEST_F(KernelReadErrors, TheDeviceFailsExactlyTheChosenSectorsAndTheRequestsThatCoverThem) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
    ASSERT_GE(fd, 0) << device << ": " << std::strerror(errno);
    const UniqueFd owner(fd);
    const std::size_t bytes = std::size_t(kCylinderSectors) * kSectorSize;
    std::unique_ptr<std::uint8_t, AlignedFree> buffer(
        static_cast<std::uint8_t*>(std::aligned_alloc(4096, (bytes + 4095) / 4096 * 4096)));
    ASSERT_TRUE(buffer);
    const Bytes want = ReadBytes(source);

    std::vector<int> failed, wrong;
    for (int s = 0; s < kSectorCount; ++s) {
        const ssize_t r = ::pread(fd, buffer.get(), kSectorSize, off_t(s) * kSectorSize);
        if (r < 0 && errno == EIO)
            failed.push_back(s);
        else if (r != kSectorSize || !std::equal(buffer.get(), buffer.get() + kSectorSize,
                                                 want.begin() + long(s) * kSectorSize))
            wrong.push_back(s);
    }
    EXPECT_EQ(failed, Failing());
    EXPECT_EQ(wrong, std::vector<int>{});

    // A whole cylinder in one request fails when it covers any failing sector.
    std::vector<int> failedCylinders, expectedCylinders;
    for (int c = 0; c < kCylinders; ++c) {
        const ssize_t r = ::pread(fd, buffer.get(), bytes, off_t(c) * off_t(bytes));
        if (r < 0 && errno == EIO) failedCylinders.push_back(c);
        if (failing.lower_bound(c * kCylinderSectors) !=
            failing.lower_bound((c + 1) * kCylinderSectors))
            expectedCylinders.push_back(c);
    }
    EXPECT_EQ(failedCylinders, expectedCylinders);
}

TEST_F(KernelReadErrors, ImageListsExactlyTheFailedSectorsAndReadsEveryOther) {
    const std::string out = dir.File("read.img");
    for (int run = 1; run <= 2; ++run) {
        // The second run is the one that goes on from the first: it tries only what is listed.
        SCOPED_TRACE("image run " + std::to_string(run));
        const CliRun image = Cmd("--drive " + device + " image --json " + out);
        ASSERT_EQ(image.status, 0) << image.err;
        if (run == 1) {
            EXPECT_EQ(nlohmann::json::parse(image.out)["unreadable"].get<std::vector<int>>(),
                      Failing());
        }
        FaultMap faults;
        std::string error;
        ASSERT_TRUE(
            FaultMap::Parse(Slurp(FaultSidecarPath(out)), FaultSidecarPath(out), faults, error))
            << error;
        std::vector<int> listed;
        for (int s = 0; s < kSectorCount; ++s)
            if (faults.At(s) != Fault::None) listed.push_back(s);
        EXPECT_EQ(listed, Failing());
        EXPECT_FALSE(faults.WriteProtected());
        EXPECT_EQ(WrongSectors(out, true), std::vector<int>{});
    }
}

TEST_F(KernelReadErrors, CopyReportsTheChainPositionsOfTheFailedUnits) {
    ExpectCopiesReportExactlyTheFailedUnits("--drive " + device);
}

TEST_F(KernelReadErrors, DdrescueMapfileMarksExactlyTheFailedSectorsAsUnfinished) {
    RunDdrescue();
    if (IsSkipped() || HasFatalFailure()) return;
    const CliRun unfinished = Shell("ddrescuelog -b512 --list-blocks='?*/-' " + ddMap);
    ASSERT_EQ(unfinished.status, 0) << unfinished.err;
    std::vector<int> listed;
    std::istringstream in(unfinished.out);
    for (int s; in >> s;) listed.push_back(s);
    EXPECT_TRUE(in.eof()) << unfinished.out;
    EXPECT_EQ(listed, Failing());
    EXPECT_LE(ReadBytes(ddImage).size(), std::size_t(kImageSize));
    EXPECT_EQ(WrongSectors(ddImage, false), std::vector<int>{});
}

TEST_F(KernelReadErrors, CopyFromTheDdrescueImageTakesItsMapfile) {
    const CliRun help = Cmd("--help");
    if ((help.out + help.err).find("--mapfile") == std::string::npos)
        GTEST_SKIP() << "orvalis-cli does not read ddrescue mapfiles yet (no --mapfile in its "
                        "--help)";
    RunDdrescue();
    if (IsSkipped() || HasFatalFailure()) return;
    // DD.map beside DD.img is found; another name needs --mapfile.
    ExpectCopiesReportExactlyTheFailedUnits("--drive " + ddImage);
    const std::string renamed = dir.File("archive.img");
    std::filesystem::copy_file(ddImage, renamed);
    ExpectCopiesReportExactlyTheFailedUnits("--mapfile " + ddMap + " --drive " + renamed);
}

}  // namespace
}  // namespace orv::tests

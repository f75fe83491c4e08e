// The rescue tools' core: reading a worn diskette in drive order into an image and going on
// with it later, merging reads, a file from several copies, and the parts of spread files.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "disk/image_medium.h"
#include "disk/rotation_order.h"
#include "support/memory_disk.h"
#include "support/temp_dir.h"
#include "transfer/rescue/box_extract.h"
#include "transfer/rescue/disk_imaging.h"
#include "transfer/rescue/file_rescue.h"
#include "transfer/rescue/image_merge.h"
#include "transfer/rescue/image_volume.h"
#include "transfer/rescue/output_image.h"
#include "transfer/rescue/spread_groups.h"
#include "transfer_fakes.h"

namespace orv::tests {
namespace {

// Logs every read request that reaches the diskette; a sector may read only from its n-th try.
class LoggingMedium final : public IMedium {
public:
    explicit LoggingMedium(std::shared_ptr<MemoryMedium> inner) : m_inner(std::move(inner)) {}
    Status Read(int first, int count, std::uint8_t* buffer) override {
        reads.emplace_back(first, count);
        if (count == 1 && first == weakSector && --weakTriesLeft > 0)
            return Status::Failure(IoError::None);
        if (first <= weakSector && weakSector < first + count && weakTriesLeft > 0)
            return Status::Failure(IoError::None);
        return m_inner->Read(first, count, buffer);
    }
    Status Write(int first, int count, const std::uint8_t* buffer) override {
        return m_inner->Write(first, count, buffer);
    }
    std::string Describe() const override { return "logged"; }

    std::vector<std::pair<int, int>> reads;
    int weakSector = -1;
    int weakTriesLeft = 0;  // its alone reads fail until this many were made

private:
    std::shared_ptr<MemoryMedium> m_inner;
};

class RescueTest : public ::testing::Test {
protected:
    // A formatted diskette holding files given by number and size, one after the other from
    // unit 0 on. File N is "fileN.bin", with its own date and data: the same N on two
    // diskettes is one file.
    std::shared_ptr<MemoryMedium> Diskette(const std::string& label,
                                           const std::vector<std::pair<int, std::size_t>>& files) {
        MemoryDisk disk;
        CVolume volume(&disk.Drive());
        EXPECT_TRUE(QuickFormat(volume, label));
        int sector = kFirstDataSector;
        for (const auto& [number, size] : files) {
            std::vector<int> sectors(static_cast<std::size_t>(UnitsForBytes(std::int32_t(size))));
            for (int& s : sectors) s = sector++;
            disk.PutFile(
                volume,
                MakeRecord(number, "file" + std::to_string(number), "bin", std::uint32_t(size)),
                sectors, Pattern(size, std::uint32_t(number)));
        }
        EXPECT_TRUE(volume.WriteFat());
        return std::make_shared<MemoryMedium>(disk.Medium().Bytes());
    }
    // The diskette saved as an image file with a sidecar.
    std::string Image(const std::string& name, const MemoryMedium& diskette,
                      const std::string& faults) {
        const std::string path = dir.File(name);
        WriteBytes(path, diskette.Bytes());
        if (!faults.empty()) WriteText(path + ".faults", faults);
        return path;
    }
    std::vector<std::uint8_t> Sector(const std::vector<std::uint8_t>& image, int s) {
        return {image.begin() + s * kSectorSize, image.begin() + (s + 1) * kSectorSize};
    }
    std::string Sidecar(const std::string& image) {
        const auto bytes = ReadBytes(image + ".faults");
        std::string text(bytes.begin(), bytes.end());
        std::string rules;  // without the comment lines
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            const std::string line = text.substr(at, end - at + 1);
            if (line[0] != '#') rules += line;
            at = end + 1;
        }
        return rules;
    }

    TempDir dir;
    InlineProgressRunner runner;
};

TEST_F(RescueTest, ReadsCylinderByCylinderAndTriesFailingSectorsAloneAfterThePass) {
    auto diskette = Diskette("WORN", {{1, 5000}});
    diskette->Faults().Set(70, Fault::Unreadable);
    auto log = std::make_shared<LoggingMedium>(diskette);
    log->weakSector = 2000;  // reads at its third try alone
    log->weakTriesLeft = 3;
    CDrive drive;
    drive.InsertMedium(log);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(kImageSize));
    SectorSet got;
    DriveReadOutcome outcome;
    ReadInDriveOrder(drive, SectorSet().set(), 3, image.data(), got, nullptr, outcome);

    EXPECT_EQ(SectorRangesText(~got), "70");
    EXPECT_EQ(Sector(image, 2000), Sector(diskette->Bytes(), 2000));
    // The drive passes a whole cylinder in two requests, from where the head arrives round to
    // where it began: as one request here.
    std::vector<std::pair<int, int>> r;
    for (std::size_t i = 0; i < log->reads.size(); ++i) {
        const auto [first, count] = log->reads[i];
        if (i + 1 < log->reads.size() &&
            log->reads[i + 1].first + log->reads[i + 1].second == first &&
            count + log->reads[i + 1].second == 36) {
            r.emplace_back(log->reads[i + 1].first, 36);
            ++i;
        } else {
            r.emplace_back(first, count);
        }
    }
    // Cylinder 1 (36..71) fails; its first track reads, its second is read alone after the
    // whole pass, as is the failing track of cylinder 55 (2000 is on 1998..2015).
    ASSERT_GE(r.size(), 80u + 4 + 36);
    EXPECT_EQ(r[0], std::make_pair(0, 36));
    // The cylinder's first part in turn order covers 70 and fails: the cylinder is split.
    const SectorRun part = RotationOrder(36, 36, kSectorsPerTrack).front();
    EXPECT_EQ(r[1], std::make_pair(part.first, part.count));
    EXPECT_EQ(r[2], std::make_pair(36, 18));
    EXPECT_EQ(r[3], std::make_pair(54, 18));
    const auto lastCylinder = std::find(r.begin(), r.end(), std::make_pair(2844, 36));
    ASSERT_NE(lastCylinder, r.end());
    std::vector<std::pair<int, int>> after(lastCylinder + 1, r.end());
    for (const auto& [first, count] : after) EXPECT_EQ(count, 1);
    EXPECT_EQ(after.front(), std::make_pair(54, 1));
    EXPECT_EQ(std::count(after.begin(), after.end(), std::make_pair(70, 1)), 4);    // 1 + 3
    EXPECT_EQ(std::count(after.begin(), after.end(), std::make_pair(2000, 1)), 3);  // read at 3
}

TEST_F(RescueTest, AnImageListsWhatDidNotReadAndAnotherDriveFillsItIn) {
    auto diskette = Diskette("WORN", {{1, 20000}});
    CDrive first;
    auto worn = std::make_shared<MemoryMedium>(diskette->Bytes());
    worn->Faults().Set(70, Fault::Unreadable);
    worn->Faults().SetRange(100, 104, Fault::Bad);
    first.InsertMedium(worn, "first-drive");
    const std::string out = dir.File("out.img");

    ImagingOutcome r = ImageDiskette(first, out, 1, runner);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(Sidecar(out), "unreadable 70\nunreadable 100-104\n");
    auto bytes = ReadBytes(out);
    EXPECT_EQ(Sector(bytes, 70), std::vector<std::uint8_t>(kSectorSize, 0));
    EXPECT_EQ(Sector(bytes, 69), Sector(diskette->Bytes(), 69));

    // A second drive reads all but 70: only the listed sectors are read, and they leave the list.
    CDrive second;
    auto better =
        std::make_shared<LoggingMedium>(std::make_shared<MemoryMedium>(diskette->Bytes()));
    better->weakSector = 70;
    better->weakTriesLeft = 100;
    second.InsertMedium(better, "second-drive");
    r = ImageDiskette(second, out, 0, runner);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_TRUE(r.resumed);
    EXPECT_EQ(r.tried, 6);
    EXPECT_EQ(r.readNow, 5);
    EXPECT_EQ(Sidecar(out), "unreadable 70\n");
    for (const auto& [f, c] : better->reads)
        EXPECT_TRUE((f >= 1 && f + c <= 64) || (f >= 70 && f + c <= 105)) << f << "+" << c;

    // The last one reads everything: the sidecar goes, the image is the diskette.
    CDrive third;
    third.InsertMedium(std::make_shared<MemoryMedium>(diskette->Bytes()), "third-drive");
    ASSERT_TRUE(ImageDiskette(third, out, 0, runner).Ok());
    EXPECT_FALSE(std::filesystem::exists(out + ".faults"));
    EXPECT_EQ(ReadBytes(out), diskette->Bytes());
    // Complete now, without a sidecar: a further run is refused and changes nothing.
    r = ImageDiskette(third, out, 0, runner);
    EXPECT_EQ(r.status, RescueStatus::Refused);
    EXPECT_EQ(ReadBytes(out), diskette->Bytes());
}

TEST_F(RescueTest, ImagingRefusesAnotherDisketteAndKeepsWhatAnInterruptedRunRead) {
    auto diskette = Diskette("ONE", {{1, 3000}});
    CDrive drive;
    auto worn = std::make_shared<MemoryMedium>(diskette->Bytes());
    worn->Faults().Set(2000, Fault::Unreadable);
    drive.InsertMedium(worn, "drive");
    const std::string out = dir.File("one.img");
    runner.cancelAfterReports = 10;  // ten cylinders, then the user stops it
    ImagingOutcome r = ImageDiskette(drive, out, 0, runner);
    EXPECT_EQ(r.status, RescueStatus::Interrupted);
    EXPECT_EQ(Sidecar(out), "unreadable 360-2879\n");
    EXPECT_EQ(Sector(ReadBytes(out), 359), Sector(diskette->Bytes(), 359));
    runner.cancelAfterReports = 0;

    CDrive other;
    other.InsertMedium(Diskette("TWO", {{1, 3000}}), "other");
    const auto before = ReadBytes(out);
    r = ImageDiskette(other, out, 0, runner);
    EXPECT_EQ(r.status, RescueStatus::Refused);
    EXPECT_NE(r.error.find("label \"TWO\""), std::string::npos) << r.error;
    EXPECT_EQ(ReadBytes(out), before);
    EXPECT_EQ(Sidecar(out), "unreadable 360-2879\n");

    // An empty drive leaves no image behind.
    CDrive empty;
    auto missing = std::make_shared<ImageMedium>();
    std::string error;
    ASSERT_TRUE(missing->Load(dir.File("no-diskette.img"), error));
    empty.InsertMedium(missing, "empty");
    EXPECT_FALSE(ImageDiskette(empty, dir.File("none.img"), 0, runner).Ok());
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.img")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.img.faults")));
}

// A run killed at any step that changes the hard disk (by a signal that nothing can catch)
// leaves what the next run finishes: the image never stands without its record, and no
// temporary stays behind.
TEST_F(RescueTest, ImagingKilledAtEveryStepIsFinishedByTheNextRun) {
    auto diskette = Diskette("KILLED", {{1, 3000}});
    auto worn = std::make_shared<MemoryMedium>(diskette->Bytes());
    worn->Faults().Set(2000, Fault::Unreadable);
    CDrive drive;
    drive.InsertMedium(worn, "drive");
    auto expected = diskette->Bytes();
    std::fill(expected.begin() + 2000 * kSectorSize, expected.begin() + 2001 * kSectorSize, 0);

    for (const bool withMapfile : {false, true}) {
        SCOPED_TRACE(withMapfile ? "mapfile" : "sidecar");
        const auto folder = dir.Path() / (withMapfile ? "mapfile" : "sidecar");
        std::filesystem::create_directory(folder);
        const std::string out = (folder / "one.img").string();
        const std::string record = withMapfile ? (folder / "one.map").string() : out + ".faults";
        const std::string mapfile = withMapfile ? record : std::string();
        bool finished = false;
        int cuts = 0;
        for (int cutAt = 1; !finished && cutAt < 50; ++cutAt) {
            std::filesystem::remove(out);
            std::filesystem::remove(record);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                int step = 0;
                SetOutputImageCutHook([&] {
                    if (++step == cutAt) ::raise(SIGKILL);
                });
                ::_exit(ImageDiskette(drive, out, 0, runner, mapfile).Ok() ? 0 : 3);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            if (WIFEXITED(status)) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
                finished = true;
            } else {
                ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
                ++cuts;
                if (std::filesystem::exists(out)) {
                    EXPECT_TRUE(std::filesystem::exists(record)) << "cut at step " << cutAt;
                }
                const ImagingOutcome next = ImageDiskette(drive, out, 0, runner, mapfile);
                EXPECT_TRUE(next.Ok()) << "cut at step " << cutAt << ": " << next.error;
            }
            EXPECT_EQ(ReadBytes(out), expected) << "cut at step " << cutAt;
            std::vector<std::string> left;
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                left.push_back(entry.path().filename().string());
            std::sort(left.begin(), left.end());
            EXPECT_EQ(left, (withMapfile ? std::vector<std::string>{"one.img", "one.map"}
                                         : std::vector<std::string>{"one.img", "one.img.faults"}))
                << "cut at step " << cutAt;
            if (!withMapfile) {
                EXPECT_EQ(Sidecar(out), "unreadable 2000\n");
            }
        }
        EXPECT_TRUE(finished);
        EXPECT_GE(cuts, 5);  // the record, the image, its room, its sectors, the last record
    }
    // Where a file system cannot make a nameless file, the image is named before it has its
    // room: one cut there is empty, beside a record of nothing read, and is filled in too.
    const std::string empty = dir.File("empty.img");
    WriteBytes(empty, {});
    WriteText(empty + ".faults", "unreadable 0-2879\n");
    const ImagingOutcome filled = ImageDiskette(drive, empty, 0, runner);
    EXPECT_TRUE(filled.Ok()) << filled.error;
    EXPECT_EQ(ReadBytes(empty), expected);
    EXPECT_EQ(Sidecar(empty), "unreadable 2000\n");
}

TEST(ChooseCopy, TheMajorityWinsAndATieGoesToTheEarliestInput) {
    const std::vector<std::uint8_t> a(kSectorSize, 'a'), b(kSectorSize, 'b'), c(kSectorSize, 'c');
    struct Case {
        std::vector<const std::uint8_t*> copies;
        int chosen;
        bool differ;
    };
    const Case cases[] = {
        {{a.data(), b.data(), b.data()}, 1, true},                      // majority
        {{a.data(), b.data()}, 0, true},                                // tie: the first
        {{b.data(), a.data(), a.data(), b.data(), c.data()}, 0, true},  // 2 : 2 : 1
        {{nullptr, a.data(), a.data()}, 1, false},                      // the first that read
        {{nullptr, nullptr}, -1, false},                                // nobody read it
    };
    for (const Case& c : cases) {
        bool differ = false;
        EXPECT_EQ(ChooseCopy(c.copies, differ), c.chosen);
        EXPECT_EQ(differ, c.differ);
    }
}

TEST_F(RescueTest, MergeTakesEachSectorWhereItReadsAndRefusesOtherDiskettes) {
    auto diskette = Diskette("BOX", {{1, 9000}});
    const std::string a = Image("a.img", *diskette, "unreadable 70\nunreadable 80-90\n");
    auto changed = std::make_shared<MemoryMedium>(diskette->Bytes());
    changed->SectorData(500)[7] ^= 0xFF;
    const std::string b = Image("b.img", *changed, "unreadable 80-85\n");
    const std::string c = Image("c.img", *diskette, "unreadable 85\n");

    MergeOutcome r = MergeImages(dir.File("m.img"), {b, a, c}, false, runner);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(SectorRangesText(r.differing), "500");
    EXPECT_EQ(SectorRangesText(r.unreadable), "85");
    EXPECT_EQ(Sidecar(dir.File("m.img")), "unreadable 85\n");
    auto merged = ReadBytes(dir.File("m.img"));
    EXPECT_EQ(Sector(merged, 500), Sector(diskette->Bytes(), 500));  // two against one
    EXPECT_EQ(Sector(merged, 70), Sector(diskette->Bytes(), 70));
    EXPECT_EQ(r.takenFrom, (std::vector<int>{2873, 1, 5}));

    const std::string other = Image("other.img", *Diskette("OTHER", {{1, 100}}), "");
    r = MergeImages(dir.File("n.img"), {a, other}, false, runner);
    EXPECT_EQ(r.status, RescueStatus::Refused);
    EXPECT_FALSE(std::filesystem::exists(dir.File("n.img")));
    EXPECT_TRUE(MergeImages(dir.File("n.img"), {a, other}, true, runner).Ok());
}

TEST_F(RescueTest, AFileComesBackFromTwoDamagedCopiesOnDifferentDiskettes) {
    // file2 (3000 bytes, 7 units) lies after file1's 2 units on one diskette, first on the
    // other: its chain positions sit in other sectors.
    const auto data = Pattern(3000, 2);
    auto one = Diskette("ONE", {{1, 600}, {2, 3000}});
    auto two = Diskette("TWO", {{2, 3000}});
    const std::string a = Image("a.img", *one, "unreadable 67\nunreadable 71-72\n");  // 1, 5, 6
    const std::string b = Image("b.img", *two, "unreadable 69-70\n");                 // 5, 6
    FileRescueRequest request{"file2.bin", dir.File("out.bin"), {a, b}, false};

    FileRescueOutcome r = RescueFile(request, runner);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(r.positions, 7u);
    EXPECT_EQ(r.unread, (std::vector<std::uint32_t>{5, 6}));
    EXPECT_EQ(r.sources[0].pieces, 4);
    EXPECT_EQ(r.sources[1].pieces, 1);
    auto expected = data;
    std::fill(expected.begin() + ChainPieceOffset(5), expected.end(), std::uint8_t('X'));
    EXPECT_EQ(ReadBytes(request.target), expected);
    const auto pieces = ReportPieces(RescueReport(r));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].offset, ChainPieceOffset(6));
    EXPECT_EQ(pieces[1].length, 3000 - ChainPieceOffset(6));

    // An existing target stays; a copy with another date is another file.
    EXPECT_EQ(RescueFile(request, runner).status, RescueStatus::Refused);
    MemoryDisk disk;
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(QuickFormat(volume, "THREE"));
    FileRecord later = MakeRecord(2, "file2", "bin", 3000);
    later.modificationTime += 60;
    disk.PutFile(volume, later, {64, 65, 66, 67, 68, 69, 70}, data);
    ASSERT_TRUE(volume.WriteFat());
    const std::string c = Image("c.img", disk.Medium(), "");
    request.target = dir.File("other.bin");
    // The whole file is had from the first image; the other is looked at all the same.
    request.images = {Image("whole.img", *two, ""), c};
    r = RescueFile(request, runner);
    EXPECT_EQ(r.status, RescueStatus::Refused);
    EXPECT_NE(r.error.find("size or date"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(request.target));
}

// How far an open gets is the file system's; the image tells it in the scan's words, and
// names the files whose header does not read.
TEST_F(RescueTest, AnImageTellsHowItsOpenEndedInItsOwnWords) {
    auto diskette = Diskette("STATES", {{1, 5000}, {2, 100}});
    auto differing = std::make_shared<MemoryMedium>(diskette->Bytes());
    PutU16(differing->SectorData(15) + 2 * 5, FAT_FREE);  // copy 2 of the table loses a unit
    auto unsigned_ = std::make_shared<MemoryMedium>(diskette->Bytes());
    std::fill_n(unsigned_->SectorData(0), kSectorSize, 0);
    const MemoryMedium blank;
    struct Case {
        const MemoryMedium& diskette;
        std::string faults;
        ImageState state;
        std::size_t files;  // listed, with a readable header
        std::size_t headerless;
    };
    const Case cases[] = {
        {*diskette, "unreadable 74\n", ImageState::Ok, 1, 1},  // file 2's header
        {*differing, "", ImageState::CopiesDiffer, 2, 0},
        {*unsigned_, "", ImageState::NotFormatted, 2, 0},  // listed all the same
        {*diskette, "unreadable 1-3\n", ImageState::NoIdSectors, 0, 0},
        {blank, "", ImageState::NotFormatted, 0, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path =
            Image("state" + std::to_string(n++) + ".img", c.diskette, c.faults);
        ImageVolume image;
        EXPECT_EQ(image.Open(path), c.files + c.headerless > 0) << path;
        EXPECT_EQ(image.State(), c.state) << path;
        EXPECT_EQ(image.Files().size(), c.files) << path;
        EXPECT_EQ(image.Headerless().size(), c.headerless) << path;
    }
    // While one holds it, another is refused and says so.
    ImageVolume first, second;
    ASSERT_TRUE(first.Open(dir.File("state0.img")));
    EXPECT_FALSE(second.Open(dir.File("state0.img")));
    EXPECT_EQ(second.State(), ImageState::InUse);
    EXPECT_NE(second.Error().find("in use by another program"), std::string::npos);
}

TEST(ExtractNames, FoldersAndFilesGetUniqueNamesThatStayInTheirFolder) {
    EXPECT_EQ(ImageFolderNames({"a/disk.img", "b/disk.IMG", "c/disk.img", "d/raw", "e/.img"}),
              (std::vector<std::string>{"disk", "disk-2", "disk-3", "raw", ".img"}));
    std::vector<std::string> taken;
    EXPECT_EQ(ExtractedName("notes.txt", 1, taken), "notes.txt");
    EXPECT_EQ(ExtractedName("notes.txt", 2, taken), "notes.txt #2");
    EXPECT_EQ(ExtractedName("../../x", 3, taken), ".._.._x");
    EXPECT_EQ(ExtractedName("..", 4, taken), "_..");
    // A file named as another with its number keeps its name; the other goes further.
    EXPECT_EQ(ExtractedName("x #5", 6, taken), "x #5");
    EXPECT_EQ(ExtractedName("x", 7, taken), "x");
    EXPECT_EQ(ExtractedName("x", 5, taken), "x #5 #5");
}

TEST(SpreadGroups, PartsOfOneFileGoTogetherAndCompleteNeedsAnIntactCopyOfEach) {
    EXPECT_EQ(SpreadPartNumber("1"), 1);
    EXPECT_EQ(SpreadPartNumber("12"), 12);
    EXPECT_EQ(SpreadPartNumber("avi"), 0);
    EXPECT_EQ(SpreadPartNumber("001"), 0);  // a file's own extension, not a part number
    EXPECT_EQ(SpreadPartNumber(""), 0);
    const std::int32_t full = 1427653;
    // Every copy of a part here comes from one diskette, read more than once: one part.
    auto part = [](std::string name, std::uint32_t date, int k, std::int32_t capacity, bool intact,
                   std::size_t image) {
        SpreadPart p;
        p.name = name;
        p.displayName = name + "." + (k == 0 ? "avi" : std::to_string(k));
        p.size = 3000000;
        p.modificationTime = date;
        p.part = k;
        p.capacity = capacity;
        p.intact = intact;
        p.image = image;
        p.diskette = name + std::to_string(date) + "/" + std::to_string(k);
        p.sha256 = intact ? p.diskette : "";
        return p;
    };
    const std::vector<SpreadPart> parts = {
        part("movie", 7, 1, full, false, 0),  // a damaged copy of part 1 ...
        part("movie", 7, 0, full, true, 1),
        part("other", 7, 1, full, true, 2),  // another file: no part 0 anywhere
        part("movie", 7, 2, full, true, 3),
        part("movie", 8, 2, full, true, 4),  // same name, another date: another file
        part("movie", 7, 1, full, true, 5),  // ... and an intact one
    };
    const auto groups = GroupSpreadParts(parts);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].name, "movie.avi");
    EXPECT_EQ(groups[0].parts, (std::vector<std::size_t>{1, 0, 5, 3}));
    EXPECT_EQ(groups[0].chosen, (std::vector<std::size_t>{1, 5, 3}));
    EXPECT_TRUE(groups[0].complete);
    EXPECT_EQ(groups[1].name, "other");
    EXPECT_TRUE(groups[1].chosen.empty());
    EXPECT_FALSE(groups[1].complete);
    EXPECT_TRUE(groups[2].chosen.empty());  // parts 0 and 1 of that one are missing

    // Without the intact copy of part 1 the file can be collected, but it is not complete.
    std::vector<SpreadPart> damaged(parts.begin(), parts.begin() + 5);
    const auto again = GroupSpreadParts(damaged);
    EXPECT_EQ(again[0].chosen, (std::vector<std::size_t>{1, 0, 3}));
    EXPECT_FALSE(again[0].complete);
    EXPECT_FALSE(again[0].ambiguous);

    // Two files of one name, size and date: copies of a part that are not one part (intact
    // with other bytes, or a damaged one from another diskette) make the set ambiguous, and
    // nothing is chosen from it.
    for (const bool intact : {true, false}) {
        std::vector<SpreadPart> two = parts;
        two.push_back(part("movie", 7, 2, full, intact, 6));
        two.back().diskette = "another diskette";
        two.back().sha256 = intact ? "other bytes" : "";
        const auto mixed = GroupSpreadParts(two);
        EXPECT_TRUE(mixed[0].ambiguous);
        EXPECT_TRUE(mixed[0].chosen.empty());
        EXPECT_FALSE(mixed[0].complete);
        EXPECT_EQ(mixed[0].candidates, (std::vector<std::size_t>{3, 6}));
        EXPECT_FALSE(mixed[1].ambiguous);
    }
    // An intact copy with the same bytes from another diskette (a copy of the diskette) is
    // the same part.
    std::vector<SpreadPart> copied = parts;
    copied.push_back(part("movie", 7, 2, full, true, 6));
    copied.back().diskette = "a copy";
    EXPECT_FALSE(GroupSpreadParts(copied)[0].ambiguous);
}

}  // namespace
}  // namespace orv::tests

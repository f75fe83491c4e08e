// Write-protected media: an image whose sidecar says write-protected, and a read-only loop
// device. Every command that writes fails with its message, and the medium's bytes stay as
// they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "maintenance/diskservice/service_workers.h"
#include "maintenance/format/format_worker.h"
#include "ports/drive_messages.h"
#include "reliability/operations.h"
#include "support/recording_worker_dialog.h"
#include "support/scripted_user.h"
#include "support/temp_dir.h"

namespace orv::reliability {
namespace {

// One writing command on the diskette in the drive: its result (0 success) and the boxes shown.
using Command = std::function<int(CDrive&, std::vector<std::string>&)>;

// Bytes of whatever the drive reads (an image file or a device).
Bytes DriveBytes(CDrive& drive) {
    Bytes bytes(static_cast<std::size_t>(kImageSize));
    for (int s = 0; s < kSectorCount; ++s)
        if (!drive.ReadDirect(s, 1, bytes.data() + std::size_t(s) * kSectorSize))
            ADD_FAILURE() << "sector " << s << " does not read";
    return bytes;
}

// A document command must stop at once, and leave the volume in memory as the diskette is.
int DocumentCommand(CDrive& drive, std::vector<std::string>& shown,
                    const std::function<int(Rig&)>& body) {
    Rig rig(nullptr);
    rig.drive.InsertMedium(drive.Medium(), drive.Path());
    int rc = rig.Open();
    const long writesBefore = rig.drive.Stats().writeRequests;
    if (rc == 0) rc = body(rig);
    shown = rig.Texts();
    EXPECT_LE(rig.drive.Stats().writeRequests - writesBefore, 4)
        << "a write-protected diskette is tried again and again";
    if (rig.doc->IsOpen()) {
        EXPECT_EQ(VolumeMatchesDiskette(rig.doc->Volume(), DriveBytes(rig.drive)), "");
    }
    return rc;
}

int Worker(std::vector<std::string>& shown,
           const std::function<int(IWorkerDialog&, IUserPort&)>& run,
           std::initializer_list<Answer> answers = {}) {
    tests::ScriptedUser user(answers);
    tests::RecordingWorkerDialog dialog;
    const int rc = run(dialog, user);
    shown = user.Texts();
    return rc;
}

std::vector<std::pair<std::string, Command>> WritingCommands() {
    std::vector<std::pair<std::string, Command>> commands;
    commands.emplace_back("add", [](CDrive& d, std::vector<std::string>& shown) {
        return DocumentCommand(d, shown, [](Rig& rig) {
            const int rc = rig.Add("new.txt", Data(5000, 3));
            EXPECT_TRUE(
                rig.user.Saw("Unable to write on the diskette.\nDiskette is probably "
                             "write protected.\nIf not so, disk is damaged and cannot be "
                             "used anymore."));
            return rc;
        });
    });
    commands.emplace_back("delete", [](CDrive& d, std::vector<std::string>& shown) {
        return DocumentCommand(d, shown, [](Rig& rig) { return rig.Delete("gamma.bin"); });
    });
    commands.emplace_back("mark", [](CDrive& d, std::vector<std::string>& shown) {
        // A copy that meets an unreadable unit can only be marked, and the delete after the
        // mark cannot be written: the user gives up at the repeat question.
        return DocumentCommand(d, shown, [](Rig& rig) {
            rig.report.mark = true;
            rig.user.answers = {Answer::Yes, Answer::No};
            std::vector<std::uint32_t> list{1};
            const FileRecord key = *rig.Listed("gamma.bin");
            return rig.doc->ReportBadSectors(key, key.displayName, list, 0, -1) == 1 ? 0 : -1;
        });
    });
    for (int full = 0; full <= 1; ++full) {
        commands.emplace_back(full ? "full format" : "quick format",
                              [full](CDrive& d, std::vector<std::string>& shown) {
                                  return Worker(shown, [&](IWorkerDialog& dialog, IUserPort& user) {
                                      FormatOptions options;
                                      options.formatType = full;
                                      options.label = "NEW";
                                      return FormatWorker(&d, dialog, user, options);
                                  });
                              });
    }
    commands.emplace_back("full test", [](CDrive& d, std::vector<std::string>& shown) {
        const int rc = Worker(shown, [&](IWorkerDialog& dialog, IUserPort& user) {
            return FullTestWorker(&d, dialog, user);
        });
        // Told once that the diskette takes no write; never asked to give up files for room.
        EXPECT_EQ(std::count(shown.begin(), shown.end(), DriveFailureText(IoError::WriteProtected)),
                  1)
            << ::testing::PrintToString(shown);
        for (const std::string& text : shown)
            EXPECT_EQ(text.rfind("Unable to write FAT.", 0), std::string::npos) << text;
        return rc;
    });
    commands.emplace_back("repair of sector 0", [](CDrive& d, std::vector<std::string>& shown) {
        return Worker(shown, [&](IWorkerDialog& dialog, IUserPort& user) {
            return RepairSector0Worker(&d, dialog, user);
        });
    });
    return commands;
}

Bytes FileBytes(const std::string& path) {
    return tests::ReadBytes(path);
}

// Runs every writing command against the medium at path, loaded afresh for each.
void ExpectEveryWriteRefused(const std::string& path, const std::string& what) {
    const Bytes before = FileBytes(path);
    long commands = 0;
    for (const auto& [name, command] : WritingCommands()) {
        SCOPED_TRACE(what + ": " + name);
        CDrive drive;
        std::string error;
        ASSERT_TRUE(drive.Insert(path, error)) << error;
        std::vector<std::string> shown;
        const int rc = command(drive, shown);
        EXPECT_NE(rc, 0);
        EXPECT_FALSE(shown.empty()) << "failed without a message";
        EXPECT_TRUE(FileBytes(path) == before) << "the medium changed";
        ++commands;
    }
    ReportFigure("write_protected_commands", commands);
}

// The base diskette as an image file.
std::string BaseImage(tests::TempDir& dir) {
    const BaseDiskette base = MakeBase();
    const std::string path = dir.File("disk.img");
    tests::WriteBytes(path, base.medium->Bytes());
    return path;
}

TEST(WriteProtected, SidecarRefusesEveryWritingCommand) {
    tests::TempDir dir;
    const std::string path = BaseImage(dir);
    tests::WriteText(path + ".faults", "write-protected\n");
    ExpectEveryWriteRefused(path, "sidecar");
}

// The user flips the tab (or pulls the diskette) during a session, tries an add, then puts
// things right and deletes a file: the table that the delete writes must carry no bad mark
// from the add that never wrote.
TEST(WriteProtected, AnAddThatCannotWriteLeavesNothingForALaterTableWrite) {
    for (const bool eject : {false, true}) {
        SCOPED_TRACE(eject ? "empty drive" : "write-protected");
        const BaseDiskette base = MakeBase();
        Rig rig(base.medium);
        ASSERT_EQ(rig.Open(), 0);
        if (eject)
            rig.drive.Eject();
        else
            base.medium->Faults().SetWriteProtected(true);
        const long requests = base.medium->WriteRequests();
        EXPECT_EQ(rig.Add("big.bin", Data(400000, 5)), -1);
        EXPECT_LE(base.medium->WriteRequests() - requests, 1);
        // An empty drive is found by the check that the diskette is still the one opened.
        if (eject)
            EXPECT_FALSE(rig.user.prompts.empty());
        else
            EXPECT_TRUE(rig.user.Saw(DriveFailureText(IoError::WriteProtected)));
        EXPECT_EQ(rig.doc->Volume().BadBytes(), 0);
        if (eject)
            rig.Insert(base.medium);
        else
            base.medium->Faults().SetWriteProtected(false);
        ASSERT_EQ(rig.Delete("gamma.bin"), 0);
        EXPECT_EQ(VolumeMatchesDiskette(rig.doc->Volume(), base.medium->Bytes()), "");
        EXPECT_EQ(rig.doc->Volume().BadBytes(), 0);
    }
}

TEST(WriteProtected, ReadOnlyLoopDeviceRefusesEveryWritingCommand) {
    tests::TempDir dir;
    const std::string image = BaseImage(dir);
    const std::string out = dir.File("loop.txt");
    const std::string attach = "losetup -f --show -r '" + image + "' > '" + out + "' 2>/dev/null";
    if (std::system(attach.c_str()) != 0)
        GTEST_SKIP() << "this machine does not let us attach a loop device (losetup failed)";
    std::string device;
    {
        const Bytes text = tests::ReadBytes(out);
        device.assign(text.begin(), text.end());
        while (!device.empty() && (device.back() == '\n' || device.back() == ' '))
            device.pop_back();
    }
    ASSERT_FALSE(device.empty());
    struct Detach {
        std::string device;
        ~Detach() { std::system(("losetup -d '" + device + "' >/dev/null 2>&1").c_str()); }
    } detach{device};
    const Bytes before = tests::ReadBytes(image);
    ExpectEveryWriteRefused(device, "loop device " + device);
    EXPECT_TRUE(tests::ReadBytes(image) == before) << "the image behind the device changed";
}

}  // namespace
}  // namespace orv::reliability

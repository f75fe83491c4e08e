// The full test: finds the ID sectors or lays down a new system area, reads the table or
// rebuilds it from the unit headers, and writes table and ID sectors anew.
#include "fs/volume.h"
#include "maintenance/diskservice/damaged_files.h"
#include "maintenance/diskservice/full_test_steps.h"
#include "maintenance/diskservice/make_room.h"
#include "maintenance/diskservice/resolve_units.h"
#include "maintenance/diskservice/service_run.h"
#include "maintenance/diskservice/service_workers.h"
#include "maintenance/diskservice/uncertain_files.h"
#include "ports/drive_messages.h"

namespace orv {

using namespace service_text;

namespace {

int Interrupted(ServiceRun& run) {
    return run.Notice(kScanInterrupted, Icon::Exclamation);
}

enum class Identified {
    Found,    // ID sectors (or the accepted reserve copy) name the table positions
    NewArea,  // none: a new system area was chosen, or sector 2879 could not even be read
    Ended,    // the run has ended, its message shown
};

// Steps 1 and 2: the ID sectors, with one repair of sector 0 at most.
Identified Identify(ServiceRun& run) {
    CVolume& volume = run.Volume();
    IWorkerDialog& dialog = run.Dialog();
    auto end = [](int) { return Identified::Ended; };
    bool repairAllowed = true;
    Result<bool> found = false;
    for (;;) {
        dialog.SetStatus(kSearchingIds);
        found = volume.FindIdSectors();
        if (run.StopRequested()) return end(Interrupted(run));
        dialog.SetProgress(10);
        if (found.Ok()) break;
        if (!repairAllowed) return end(run.Notice(kSector0NotRepaired, Icon::Stop));
        if (!run.Confirm(kAskRepairSector0)) return end(run.EndWithNothing());
        dialog.SetStatus(kRepairingShort);
        if (!volume.RepairSector0()) return end(run.Notice(kSector0NotRepaired, Icon::Stop));
        repairAllowed = false;
    }
    if (*found) return Identified::Found;

    dialog.SetStatus(kSearchingReserve);
    std::array<std::uint8_t, kSectorSize> reserve;
    if (!volume.ReadSector(kReserveIdSector, reserve.data())) return Identified::NewArea;
    if (volume.ParseIdRecord(reserve.data(), true)) {
        if (run.Confirm(kUseReserveCopy, Answer::No)) {
            if (run.StopRequested()) return end(Interrupted(run));
            return Identified::Found;
        }
    } else if (!run.Confirm(kIdsMissing)) {
        return end(run.EndWithNothing());
    }
    const int area = ChooseSystemArea(volume);
    if (area == -3) return end(run.Notice(kWriteProtected, Icon::Exclamation));
    if (area < 0) return end(run.Notice(kNoSystemArea, Icon::Stop));
    if (run.StopRequested()) return end(Interrupted(run));
    return Identified::NewArea;
}

}  // namespace

int FullTestWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user) {
    ServiceRun run(drive, dialog, user);
    if (!run.Open()) return -1;
    CVolume& volume = run.Volume();

    const Identified found = Identify(run);
    if (found == Identified::Ended) return -1;
    bool tableComplete = false;
    if (found == Identified::Found) {
        dialog.SetStatus(kSearchingFat);
        tableComplete = volume.ReadFat(true).Ok();
        DropTablePositionsOnFileData(volume, tableComplete);
        // Files of a table write that was cut short are rebuilt from their units.
        std::vector<int> differing;
        if (volume.DifferingFatSectors(&differing) > 0) UnsettleInterruptedFiles(volume, differing);
        dialog.SetProgress(15);
    }

    if (run.StopRequested()) return Interrupted(run);
    if (found == Identified::NewArea) volume.MarkAllUnknown();
    std::vector<int> uncertain;  // files rebuilt without knowing for sure which units are theirs
    if (!tableComplete || volume.Fat().Count(FAT_UNKNOWN) > 0) {
        dialog.SetStatus(kSearchingFragments);
        const PassResult resolved = ResolveUnknownUnits(volume, dialog, &uncertain);
        if (!resolved) return run.Notice(DriveFailureText(resolved.Error()), Icon::Stop);
        if (*resolved == PassEnd::Stopped) return Interrupted(run);
        if (!tableComplete) DropImplausibleFiles(volume);
    }
    // Every table sector is written, also from a complete table: copies that differ are made
    // equal again.
    volume.MarkAllFatDirty(true);

    // A unit the table gives to a file stays the file's, whatever it holds: taken from it, every
    // later byte would move. The user learns which files a copy will report.
    dialog.SetStatus(kCheckingFiles);
    std::vector<DamagedFile> damaged;
    const PassResult checked = FindDamagedFiles(volume, dialog, 60, 79, damaged);
    if (!checked) return run.Notice(DriveFailureText(checked.Error()), Icon::Stop);
    if (*checked == PassEnd::Stopped) return Interrupted(run);

    // Every unit that failed its reads was taken for bad: if the drive itself has stopped
    // reading, the table built from that would give up every file. Nothing is written then.
    std::array<std::uint8_t, kSectorSize> probe;
    if (!volume.ReadSector(kBootSector, probe.data())) return run.Notice(kCannotOpen, Icon::Stop);

    dialog.SetProgress(80);
    for (;;) {
        if (run.StopRequested()) return Interrupted(run);
        dialog.SetStatus(kWritingFat);
        const Result<int> written = volume.WriteFat();
        if (written) break;
        // A write-protected or empty drive takes no table wherever it goes: room would not
        // help, and no file is to be given up for it.
        if (IsDriveFailure(written.Error()))
            return run.Notice(DriveFailureText(written.Error()), Icon::Exclamation);
        if (Ask(user, kAskMakeRoom, Buttons::OkCancel, Icon::Question) != Answer::Ok)
            return run.EndWithNothing();
        if (MakeRoom(volume) != 0) return run.Notice(kNoRoom, Icon::Information);
    }

    dialog.SetStatus(kFinishing);
    dialog.SetProgress(92);
    if (!volume.WriteIdSectors(nullptr, nullptr))
        return run.Notice(kCannotWriteIds, Icon::Information);
    dialog.SetStatus(kTestDone);
    // Told once, by name, and kept with the results.
    std::vector<std::string> names = UncertainFileNames(volume, uncertain);
    if (!names.empty()) Notify(user, UncertainFilesMessage(names), Icon::Exclamation);
    dialog.m_results.uncertainFiles = std::move(names);
    if (!damaged.empty()) Notify(user, DamagedFilesMessage(damaged), Icon::Exclamation);
    dialog.m_results.damagedFiles = std::move(damaged);
    return run.EndWithResults();
}

}  // namespace orv

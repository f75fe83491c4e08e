#include "maintenance/format/format_worker.h"

#include "fs/volume.h"
#include "maintenance/format/format_steps.h"
#include "maintenance/format/format_texts.h"
#include "ports/drive_messages.h"

namespace orv {

namespace {

using namespace format_text;

// A failed repair of sector 0 sends the format back to the identification; a diskette whose
// sector 0 never takes the write (write protected, worn out) must not keep it there for ever.
constexpr int kMaxIdentifyPasses = 3;

// One format: its volume, and the end that every path takes.
class FormatRun {
public:
    FormatRun(CDrive* drive, IWorkerDialog& dialog, IUserPort& user, FormatOptions& options)
        : m_volume(drive), m_dialog(dialog), m_user(user), m_options(options) {}
    ~FormatRun() {
        m_volume.CloseDevice();
        m_dialog.m_bRunning = 0;  // last: the dialog's tick may run the finishing step now
    }
    FormatRun(const FormatRun&) = delete;
    FormatRun& operator=(const FormatRun&) = delete;

    int Run();

private:
    int Stop() {
        m_options.displayResults = 0;
        return -1;
    }
    int StopWith(const std::string& text) {
        Notify(m_user, text);
        return Stop();
    }
    // A write that failed: the drive's own reason when it failed as a whole.
    int StopAfterWrite(IoError cause) {
        return StopWith(IsDriveFailure(cause) ? DriveFailureText(cause) : kCannotWrite);
    }
    // Asks when the user pressed Cancel; true when the answer is to stop.
    bool StopRequested(Icon icon) {
        if (m_dialog.m_nState != -1) return false;
        if (Ask(m_user, kAskStop, Buttons::YesNo, icon) == Answer::Yes) return true;
        m_dialog.m_nState = 0;
        return false;
    }
    // 0 the system area is known; -1 stopped.
    int Identify();
    bool EnsureSector0() {
        return m_volume.CheckSector0() == true || m_volume.RepairSector0().Ok();
    }

    CVolume m_volume;
    DriveLock m_lock;
    IWorkerDialog& m_dialog;
    IUserPort& m_user;
    FormatOptions& m_options;
};

int FormatRun::Identify() {
    for (int pass = 1;; ++pass) {
        if (pass > kMaxIdentifyPasses) {
            m_dialog.SetProgress(0);
            return StopWith(kSector0NotRepaired);
        }
        m_dialog.SetStatus(kSearchingIds);
        const Result<bool> found = m_volume.FindIdSectors();
        if (StopRequested(Icon::Question)) return Stop();

        if (!found) {
            if (Ask(m_user, kAskRepairSector0, Buttons::YesNo) != Answer::Yes) {
                m_dialog.SetProgress(0);
                return Stop();
            }
            if (!m_volume.RepairSector0()) {
                m_dialog.SetProgress(0);
                return StopWith(kSector0NotRepaired);
            }
            continue;
        }
        if (!*found) {
            if (!m_volume.PrepareNewSystemArea()) {
                m_dialog.SetProgress(0);
                return StopWith(kSystemAreaBad);
            }
            // A blank diskette needs its boot sector too, or it would open only after the
            // "not formatted" question.
            if (!EnsureSector0()) {
                m_dialog.SetProgress(0);
                return StopWith(kSector0NotRepaired);
            }
            return 0;
        }
        if (!EnsureSector0()) continue;
        m_dialog.SetProgress(20);
        m_dialog.SetStatus(kSearchingFat);
        // Unreadable table sectors become unknown units; all are cleared.
        (void)m_volume.ReadFat(true);
        if (StopRequested(Icon::Exclamation)) return Stop();
        return 0;
    }
}

int FormatRun::Run() {
    const bool quick = m_options.formatType == 0;
    if (!m_volume.OpenDevice()) return StopWith(kCannotOpen);
    m_lock = DriveLock(*m_volume.Device().Drive());  // held until the run ends
    if (!m_lock.Held()) return StopWith(m_lock.Error());
    if (Identify() != 0) return -1;

    m_dialog.SetProgress(100);
    m_dialog.SetStatus(kFormatting);
    const Result<int> prepared = PrepareFormat(m_volume, m_dialog, quick);
    if (!prepared) return StopWith(DriveFailureText(prepared.Error()));
    switch (*prepared) {
        case FORMAT_NO_SECTOR0:
            return StopWith(kScanSector0);
        case FORMAT_NO_ROOM:
            return StopWith(kNoRoomForSystem);
        case FORMAT_INTERRUPTED:
            return StopWith(kInterrupted);
        default:
            break;
    }

    m_dialog.SetProgress(85);
    if (StopRequested(Icon::Exclamation)) return Stop();
    m_dialog.SetStatus(kWritingFat);
    if (const Result<int> written = m_volume.WriteFat(); !written)
        return StopAfterWrite(written.Error());

    m_dialog.SetProgress(90);
    if (StopRequested(Icon::Exclamation)) return Stop();
    m_dialog.SetStatus(kWritingIds);
    // Without ID sectors the diskette would not open: that is no successful format.
    if (const Status written =
            m_volume.WriteIdSectors(m_options.noLabel ? nullptr : &m_options.label, nullptr);
        !written)
        return StopAfterWrite(written.Error());

    m_dialog.SetStatus(kAlmostDone);
    if (!m_volume.ReadFat(false)) return StopWith(kCannotFormat);

    m_dialog.SetProgress(100);
    m_dialog.m_results.badBytes = m_volume.BadBytes();
    m_dialog.m_results.systemBytes = m_volume.SystemBytes();
    m_dialog.m_results.freeBytes = m_volume.FreeBytes();
    m_dialog.m_results.label = m_volume.Ids().label;
    return 0;
}

}  // namespace

int FormatWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user, FormatOptions& options) {
    FormatRun run(drive, dialog, user, options);
    return run.Run();
}

}  // namespace orv

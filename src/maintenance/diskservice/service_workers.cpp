#include "maintenance/diskservice/service_workers.h"

#include <string>

#include "maintenance/diskservice/service_run.h"
#include "maintenance/diskservice/system_parts_test.h"

namespace orv {

using namespace service_text;

namespace {

// What a question that offers a repair found: its text before the question itself.
std::string FindingOf(const std::string& offer) {
    return offer.substr(0, offer.rfind("\n\n"));
}

}  // namespace

int RepairSector0Worker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user) {
    ServiceRun run(drive, dialog, user);
    dialog.SetStatus(kRepairing);
    if (!run.Open()) return -1;
    dialog.SetProgress(5);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        if (run.Volume().RepairSector0().Ok()) {
            dialog.SetProgress(100);
            dialog.SetStatus(kRepairDone);
            Notify(user, kSector0Repaired, Icon::Information);
            return run.EndWithNothing(0);
        }
        if (attempt == 1) {
            dialog.SetProgress(40);
            if (run.StopRequested()) return run.Notice(kScanInterrupted, Icon::Exclamation);
        }
    }
    dialog.SetProgress(100);
    dialog.SetStatus(kRepairFailed);
    return run.Notice(kSector0NotRepaired, Icon::Stop);
}

int SystemPartsTestWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user,
                          std::int32_t& testType) {
    ServiceRun run(drive, dialog, user);
    if (!run.Open()) return -1;
    // On a medium that never takes a write no repair is offered: the user is told what was
    // found and how to get an image that can be repaired.
    const std::string refusal = drive ? drive->WriteRefusal() : std::string();
    auto offerRepair = [&](const char* offer) {
        if (refusal.empty()) return run.Confirm(offer);
        Notify(user, FindingOf(offer) + "\n\n" + refusal);
        return false;
    };
    bool mayRepeat = true;
    for (;;) {
        const int code = SystemPartsTest(run.Volume(), dialog);
        const char* offer = nullptr;  // a question that offers the full test
        switch (code) {
            case PARTS_SOUND:
                Notify(user, kAllRight, Icon::Information);
                return run.EndWithResults();
            case PARTS_RESERVE_ONLY:
                dialog.SetProgress(90);
                offer = kReserveNeedsFullTest;
                break;
            case PARTS_NOT_FORMATTED:
                dialog.SetProgress(90);
                offer = kNotFormatted;
                break;
            case PARTS_TOO_FEW_IDS:
                dialog.SetProgress(100);
                offer = kTooFewIds;
                break;
            case PARTS_FAT_UNREADABLE:
                dialog.SetProgress(100);
                offer = kFatUnreadable;
                break;
            case PARTS_COPIES_DIFFER:
                dialog.SetProgress(100);
                offer = kFatCopiesDiffer;
                break;
            case PARTS_INTERRUPTED:
                return run.Notice(kTestInterrupted, Icon::Exclamation);
            default:
                break;  // sector 0 unreadable, below
        }
        if (offer) {
            if (offerRepair(offer)) testType = TEST_FULL;
            return run.EndWithNothing();
        }

        if (!offerRepair(kAskRepairSector0)) {
            dialog.SetProgress(100);
            return run.EndWithNothing();
        }
        if (!run.Volume().RepairSector0() || !mayRepeat)
            return run.Notice(kSector0NotRepaired, Icon::Stop);
        mayRepeat = false;
        if (!run.Confirm(kContinueAfterRepair)) {
            dialog.SetProgress(100);
            return run.EndWithNothing(0);
        }
    }
}

int DiskServiceWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user,
                      std::int32_t& testType) {
    switch (testType) {
        case TEST_REPAIR0:
            return RepairSector0Worker(drive, dialog, user);
        case TEST_SYSTEM_PARTS:
            return SystemPartsTestWorker(drive, dialog, user, testType);
        case TEST_FULL:
            return FullTestWorker(drive, dialog, user);
        default:
            dialog.m_nState = -1;
            dialog.m_bRunning = 0;
            return -1;
    }
}

}  // namespace orv

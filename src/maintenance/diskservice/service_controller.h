// The disk service dialog without its window: the test type, Start, Cancel, the 400 ms tick
// with the turning drive, the finishing step, and the hand-over from a system parts test whose
// question was answered Yes to the full test.
#pragma once

#include <cstdint>

#include "disk/drive.h"
#include "maintenance/diskservice/service_workers.h"
#include "maintenance/maintenance_view.h"
#include "maintenance/worker_thread.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv {

class CDiskServiceController final : public IWorkerDialog {
public:
    CDiskServiceController(CDrive* drive, IUserPort& user, IMaintenanceView& view,
                           WorkerLaunch launch);
    ~CDiskServiceController() override;
    CDiskServiceController(const CDiskServiceController&) = delete;
    CDiskServiceController& operator=(const CDiskServiceController&) = delete;

    // The radio group: TEST_REPAIR0, TEST_SYSTEM_PARTS or TEST_FULL. A system parts test may
    // set it to TEST_FULL; the front end shows it again when the view's SetBusy(false) comes.
    std::int32_t m_nTestType = TEST_REPAIR0;

    void SetStatus(const std::string& text) override { m_view.SetStatus(text); }
    void SetProgress(int position) override { m_view.SetProgress(position); }

    // The Start button. False when no test started: "Radio Error !!!" or "Process Error !!!"
    // was shown and the dialog closed.
    bool Start();
    void Tick();
    void Cancel();
    // Cancel's running branch alone; safe inside a signal handler.
    void RequestStop() {
        std::int32_t running = 0;
        m_nState.compare_exchange_strong(running, -1);
    }

    bool TimerActive() const { return m_bTimer; }
    // 0 when the last test did what it was asked, -1 when it ended with nothing to show.
    int LastOutcome() const { return m_nOutcome; }

private:
    void Finish();

    CDrive* m_pDrive;
    IUserPort& m_user;
    IMaintenanceView& m_view;
    CWorkerThread m_thread;
    bool m_bTimer = false;
    int m_nOutcome = -1;
    std::int32_t m_nLastStarted = -1;
};

}  // namespace orv

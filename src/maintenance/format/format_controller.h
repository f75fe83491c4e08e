// The format dialog without its window: its members, the Format button, Cancel, the 400 ms tick
// and the finishing step. The Qt dialog drives it from a timer; the command line runs the
// worker inline and ticks once.
#pragma once

#include "disk/drive.h"
#include "maintenance/format/format_worker.h"
#include "maintenance/maintenance_view.h"
#include "maintenance/worker_thread.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv {

class CFormatController final : public IWorkerDialog {
public:
    CFormatController(CDrive* drive, IUserPort& user, IMaintenanceView& view, WorkerLaunch launch);
    ~CFormatController() override;
    CFormatController(const CFormatController&) = delete;
    CFormatController& operator=(const CFormatController&) = delete;

    // The dialog's members; the front end copies its controls in before Start.
    FormatOptions m_options;

    void SetStatus(const std::string& text) override { m_view.SetStatus(text); }
    void SetProgress(int position) override { m_view.SetProgress(position); }

    // The label edit is enabled exactly when the no-label box is clear.
    bool LabelEnabled() const { return m_options.noLabel == 0; }

    // The Format button. False when the worker could not be started (nothing changed then).
    bool Start();
    // The timer tick: runs the finishing step once the worker has ended.
    void Tick();
    // Cancel, Escape or closing the window: running → stop requested; idle → the dialog closes.
    void Cancel();
    // Cancel's running branch alone; safe inside a signal handler.
    void RequestStop() {
        std::int32_t running = 0;
        m_nState.compare_exchange_strong(running, -1);
    }

    bool TimerActive() const { return m_bTimer; }
    // 0 when the last format succeeded, -1 when it stopped.
    int LastOutcome() const { return m_nOutcome; }

private:
    void Finish();

    CDrive* m_pDrive;
    IUserPort& m_user;
    IMaintenanceView& m_view;
    CWorkerThread m_thread;
    bool m_bTimer = false;
    int m_nOutcome = -1;
};

}  // namespace orv

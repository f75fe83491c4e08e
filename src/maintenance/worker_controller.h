// What the format and disk service dialogs share without their windows: the drive, the user
// and view ports, the worker's thread, the 400 ms timer, Cancel and the last worker's outcome.
#pragma once

#include <cstdint>
#include <string>

#include "disk/drive.h"
#include "maintenance/maintenance_view.h"
#include "maintenance/worker_thread.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv {

class CWorkerController : public IWorkerDialog {
public:
    CWorkerController(const CWorkerController&) = delete;
    CWorkerController& operator=(const CWorkerController&) = delete;

    // Called from the worker thread; the view passes them on to its own thread.
    void SetStatus(const std::string& text) override { m_view.SetStatus(text); }
    void SetProgress(int position) override { m_view.SetProgress(position); }

    // Cancel, Escape or closing the window: running → stop requested; idle → the dialog closes.
    void Cancel() {
        const std::int32_t state = m_nState;
        if (state == 0)
            RequestStop();
        else if (state == 1)
            m_view.CloseDialog();
    }
    // Cancel's running branch alone; safe inside a signal handler.
    void RequestStop() {
        std::int32_t running = 0;
        m_nState.compare_exchange_strong(running, -1);
    }

    // The 400 ms tick: runs the finishing step once the worker has ended.
    virtual void Tick() = 0;

    bool TimerActive() const { return m_bTimer; }
    // The last worker's result: 0 when it did what it was asked, -1 when it stopped or ended
    // with nothing to show.
    int LastOutcome() const { return m_nOutcome; }

protected:
    CWorkerController(CDrive* drive, IUserPort& user, IMaintenanceView& view, WorkerLaunch launch)
        : m_pDrive(drive), m_user(user), m_view(view), m_thread(launch) {}
    ~CWorkerController() override = default;

    // Each dialog's destructor calls this first: its worker reads the dialog's own members,
    // which are gone by the time this base class is destroyed.
    void StopAndJoin() {
        RequestStop();
        m_thread.Join();
    }
    void SetTimer(bool on) {
        m_bTimer = on;
        m_view.SetTimer(on);
    }
    // The start of every finishing step: the ended worker's result, and the timer stopped.
    void CollectWorker() {
        m_nOutcome = m_thread.Join();
        SetTimer(false);
    }

    CDrive* m_pDrive;
    IUserPort& m_user;
    IMaintenanceView& m_view;
    CWorkerThread m_thread;

private:
    bool m_bTimer = false;
    int m_nOutcome = -1;
};

}  // namespace orv

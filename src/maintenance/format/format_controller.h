// The format dialog without its window: its members, the Format button, Cancel, the 400 ms tick
// and the finishing step. The Qt dialog drives it from a timer; the command line runs the
// worker inline and ticks once.
#pragma once

#include "maintenance/format/format_worker.h"
#include "maintenance/worker_controller.h"

namespace orv {

class CFormatController final : public CWorkerController {
public:
    CFormatController(CDrive* drive, IUserPort& user, IMaintenanceView& view, WorkerLaunch launch);
    ~CFormatController() override;

    // The dialog's members; the front end copies its controls in before Start.
    FormatOptions m_options;

    // The label edit is enabled exactly when the no-label box is clear.
    bool LabelEnabled() const { return m_options.noLabel == 0; }

    // The Format button. False when the worker could not be started, or the medium never takes
    // a write (the user told why); nothing changed then.
    bool Start();
    void Tick() override;

private:
    void Finish();
};

}  // namespace orv

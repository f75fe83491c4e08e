// The disk service dialog without its window: the test type, Start, Cancel, the 400 ms tick
// with the turning drive, the finishing step, and the hand-over from a system parts test whose
// question was answered Yes to the full test.
#pragma once

#include <cstdint>

#include "maintenance/diskservice/service_workers.h"
#include "maintenance/worker_controller.h"

namespace orv {

class CDiskServiceController final : public CWorkerController {
public:
    CDiskServiceController(CDrive* drive, IUserPort& user, IMaintenanceView& view,
                           WorkerLaunch launch);
    ~CDiskServiceController() override;

    // The radio group: TEST_REPAIR0, TEST_SYSTEM_PARTS or TEST_FULL. A system parts test may
    // set it to TEST_FULL; the front end shows it again when the view's SetBusy(false) comes.
    std::int32_t m_nTestType = TEST_REPAIR0;

    // The Start button. False when no test started: "Radio Error !!!" or "Process Error !!!"
    // was shown and the dialog closed, or a test that writes was refused on a medium that never
    // takes a write (the user told why; the dialog stays).
    bool Start();
    void Tick() override;

private:
    void Finish();

    std::int32_t m_nLastStarted = -1;
};

}  // namespace orv

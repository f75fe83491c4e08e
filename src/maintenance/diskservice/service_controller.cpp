#include "maintenance/diskservice/service_controller.h"

#include <atomic>

#include "maintenance/diskservice/service_texts.h"

namespace orv {

namespace {
constexpr int kFirstTurningIcon = 140;
std::atomic<int> g_turningIcon{0};  // one turning drive for all disk service dialogs
}  // namespace

CDiskServiceController::CDiskServiceController(CDrive* drive, IUserPort& user,
                                               IMaintenanceView& view, WorkerLaunch launch)
    : CWorkerController(drive, user, view, launch) {}

CDiskServiceController::~CDiskServiceController() {
    StopAndJoin();
}

bool CDiskServiceController::Start() {
    if (m_nState != 1) return false;
    // The system parts test only reads; it turns its offers of a repair into the same refusal.
    const bool writes = m_nTestType == TEST_REPAIR0 || m_nTestType == TEST_FULL;
    if (writes && m_pDrive && !m_pDrive->WriteRefusal().empty()) {
        Notify(m_user, m_pDrive->WriteRefusal());
        return false;
    }
    m_view.SetBusy(true);
    m_view.SetStatus(service_text::kScanning);
    if (m_nTestType < TEST_REPAIR0 || m_nTestType > TEST_FULL) {
        Notify(m_user, service_text::kRadioError, Icon::Stop);
        m_view.CloseDialog();
        return false;
    }
    // Set before the worker starts: a worker that ended before these writes would otherwise
    // never get its finishing step.
    m_results = WorkerResults{};
    m_nLastStarted = m_nTestType;
    SetTimer(true);
    m_nState = 0;
    m_bRunning = 1;
    m_view.SetProgress(3);
    const bool started =
        m_thread.Start([this] { return DiskServiceWorker(m_pDrive, *this, m_user, m_nTestType); });
    if (started) return true;
    SetTimer(false);
    m_nState = 1;
    Notify(m_user, service_text::kProcessError, Icon::Stop);
    m_view.CloseDialog();
    return false;
}

void CDiskServiceController::Tick() {
    if (!TimerActive()) return;
    if (m_bRunning == 0) {
        m_bRunning = 1;
        Finish();
        if (m_nLastStarted == TEST_SYSTEM_PARTS && m_nTestType == TEST_FULL) Start();
    }
    int index = g_turningIcon;
    if (index > 2) index = 0;
    m_view.ShowTurningIcon(kFirstTurningIcon + index);
    g_turningIcon = index + 1;
}

void CDiskServiceController::Finish() {
    CollectWorker();
    if (m_nState != -1)
        m_view.ShowResults(
            MakeResultsTexts(service_text::kResultsTitle, m_results, m_results.label));
    m_view.SetProgress(0);
    m_nState = 1;
    m_view.SetStatus("");
    m_view.SetBusy(false);
}

}  // namespace orv

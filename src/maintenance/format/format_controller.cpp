#include "maintenance/format/format_controller.h"

#include "maintenance/format/format_texts.h"

namespace orv {

CFormatController::CFormatController(CDrive* drive, IUserPort& user, IMaintenanceView& view,
                                     WorkerLaunch launch)
    : CWorkerController(drive, user, view, launch) {}

CFormatController::~CFormatController() {
    StopAndJoin();
}

bool CFormatController::Start() {
    if (m_nState != 1) return false;
    if (const std::string refusal = m_pDrive ? m_pDrive->WriteRefusal() : std::string();
        !refusal.empty()) {
        Notify(m_user, refusal);
        return false;
    }
    // Everything the worker may overwrite is set before it starts: a worker that ended before
    // these writes would otherwise never get its finishing step.
    m_results = WorkerResults{};
    m_bRunning = 1;
    m_nState = 0;
    SetTimer(true);
    m_view.SetStatus(format_text::kInitializing);
    m_view.SetBusy(true);
    m_view.SetProgress(3);
    const bool started =
        m_thread.Start([this] { return FormatWorker(m_pDrive, *this, m_user, m_options); });
    if (started) return true;
    SetTimer(false);
    m_nState = 1;
    m_view.SetStatus("");
    m_view.SetProgress(0);
    m_view.SetBusy(false);
    return false;
}

void CFormatController::Tick() {
    if (!TimerActive() || m_bRunning != 0) return;
    m_bRunning = 1;
    Finish();
}

void CFormatController::Finish() {
    CollectWorker();
    if (m_options.displayResults == 1)
        m_view.ShowResults(MakeResultsTexts(format_text::kResultsTitle, m_results,
                                            m_options.noLabel ? std::string() : m_options.label));
    m_view.SetStatus(m_nState == -1 ? format_text::kInterrupted : format_text::kDone);
    m_view.SetProgress(0);
    m_options.noLabel = 0;
    m_options.displayResults = 1;
    m_nState = 1;
    m_view.SetBusy(false);
}

}  // namespace orv

#include "maintenance/format/format_controller.h"

#include "maintenance/format/format_texts.h"

namespace orv {

CFormatController::CFormatController(CDrive* drive, IUserPort& user, IMaintenanceView& view,
                                     WorkerLaunch launch)
    : m_pDrive(drive), m_user(user), m_view(view), m_thread(launch) {}

CFormatController::~CFormatController() {
    RequestStop();
    m_thread.Join();
}

bool CFormatController::Start() {
    if (m_nState != 1) return false;
    // Everything the worker may overwrite is set before it starts: a worker that ended before
    // these writes would otherwise never get its finishing step.
    m_results = WorkerResults{};
    m_bRunning = 1;
    m_nState = 0;
    m_bTimer = true;
    m_view.SetTimer(true);
    m_view.SetStatus(format_text::kInitializing);
    m_view.SetBusy(true);
    m_view.SetProgress(3);
    const bool started =
        m_thread.Start([this] { return FormatWorker(m_pDrive, *this, m_user, m_options); });
    if (started) return true;
    m_bTimer = false;
    m_view.SetTimer(false);
    m_nState = 1;
    m_view.SetStatus("");
    m_view.SetProgress(0);
    m_view.SetBusy(false);
    return false;
}

void CFormatController::Tick() {
    if (!m_bTimer || m_bRunning != 0) return;
    m_bRunning = 1;
    Finish();
}

void CFormatController::Finish() {
    m_nOutcome = m_thread.Join();
    m_bTimer = false;
    m_view.SetTimer(false);
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

void CFormatController::Cancel() {
    std::int32_t state = m_nState;
    if (state == 0)
        RequestStop();
    else if (state == 1)
        m_view.CloseDialog();
}

}  // namespace orv

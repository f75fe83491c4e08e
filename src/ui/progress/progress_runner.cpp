#include "ui/progress/progress_runner.h"

#include "ui/platform/dialog_owner.h"
#include "ui/progress/progress_dlg.h"

namespace orv {

int CProgressRunner::RunProgress(const ProgressSpec& display,
                                 const std::function<void(IProgressSink&)>& worker) {
    CProgressDlg dlg(m_user, DialogOwner());
    dlg.m_hIconLeft = display.left;
    dlg.m_hIconRight = display.right;
    dlg.m_strTitle = display.title;
    if (m_nBatchCount > 1) {
        dlg.m_strTitle = BatchTitle(display.title, m_nBatchFile, m_nBatchCount);
        if (m_nBatchFile < m_nBatchCount) dlg.m_closingPause = std::chrono::milliseconds(0);
    }
    dlg.m_strFileLine = display.fileLine;
    dlg.m_strCountFormat = display.countFormat;
    dlg.m_bAskBeforeCancel = display.askBeforeCancel;
    dlg.m_strCancelQuestion = display.cancelQuestion;
    dlg.m_pfnWorker = worker;
    const int rc = dlg.exec();
    m_bStopAsked = rc != PROGRESS_OK && dlg.FinishedUncancelled();
    return rc == PROGRESS_OK || dlg.FinishedUncancelled() ? PROGRESS_OK : PROGRESS_CANCELLED;
}

}  // namespace orv

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
    dlg.m_strFileLine = display.fileLine;
    dlg.m_strCountFormat = display.countFormat;
    dlg.m_bAskBeforeCancel = display.askBeforeCancel;
    dlg.m_strCancelQuestion = display.cancelQuestion;
    dlg.m_pfnWorker = worker;
    const int rc = dlg.exec();
    return rc == PROGRESS_OK || dlg.FinishedUncancelled() ? PROGRESS_OK : PROGRESS_CANCELLED;
}

}  // namespace orv

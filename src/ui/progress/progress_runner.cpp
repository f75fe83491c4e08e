#include "ui/progress/progress_runner.h"

#include "ui/app/dialog_owner.h"
#include "ui/progress/progress_dlg.h"

namespace orv {

int CProgressRunner::RunProgress(const ProgressSpec& spec,
                                 const std::function<void(IProgressSink&)>& worker) {
    CProgressDlg dlg(m_user, DialogOwner());
    dlg.m_hIconLeft = spec.left;
    dlg.m_hIconRight = spec.right;
    dlg.m_strTitle = spec.title;
    dlg.m_strFileLine = spec.fileLine;
    dlg.m_strCountFormat = spec.countFormat;
    dlg.m_bAskBeforeCancel = spec.askBeforeCancel;
    dlg.m_strCancelQuestion = spec.cancelQuestion;
    dlg.m_pfnWorker = worker;
    return dlg.exec() == PROGRESS_OK ? PROGRESS_OK : PROGRESS_CANCELLED;
}

}  // namespace orv

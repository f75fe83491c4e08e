// Runs the core's long operations behind the progress dialog.
#pragma once

#include "ports/progress_port.h"
#include "ports/user_port.h"

namespace orv {

class CProgressRunner : public IProgressRunner {
public:
    explicit CProgressRunner(IUserPort& user) : m_user(user) {}
    int RunProgress(const ProgressSpec& display,
                    const std::function<void(IProgressSink&)>& worker) override;
    bool StopAskedAfterLastRun() const override { return m_bStopAsked; }

    // A batch of files: every run says which file of how many it belongs to, and only the
    // runs of the last file keep the closing pause (a pause after each file only makes the
    // batch slow). count 0 ends the batch.
    void SetBatch(int file, int count) {
        m_nBatchFile = file;
        m_nBatchCount = count;
    }

private:
    IUserPort& m_user;
    bool m_bStopAsked = false;
    int m_nBatchFile = 0;
    int m_nBatchCount = 0;
};

// While it lives, the runs of the document's runner (when it is the desktop's) belong to a
// batch of count files; File(n) says that the n-th (from 1) begins.
class CProgressBatch {
public:
    CProgressBatch(IProgressRunner& runner, int count)
        : m_pRunner(count > 1 ? dynamic_cast<CProgressRunner*>(&runner) : nullptr),
          m_nCount(count) {}
    ~CProgressBatch() {
        if (m_pRunner) m_pRunner->SetBatch(0, 0);
    }
    CProgressBatch(const CProgressBatch&) = delete;
    CProgressBatch& operator=(const CProgressBatch&) = delete;
    void File(int n) {
        if (m_pRunner) m_pRunner->SetBatch(n, m_nCount);
    }

private:
    CProgressRunner* m_pRunner;
    int m_nCount;
};

}  // namespace orv

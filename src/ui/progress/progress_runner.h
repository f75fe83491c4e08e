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
    // batch slow).
    void SetBatch(int file, int count) override {
        m_nBatchFile = file;
        m_nBatchCount = count;
    }

private:
    IUserPort& m_user;
    bool m_bStopAsked = false;
    int m_nBatchFile = 0;
    int m_nBatchCount = 0;
};

}  // namespace orv

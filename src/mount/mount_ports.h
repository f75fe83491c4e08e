// The ports of the core for a program that nobody sits in front of: a folder asks no questions.
// A message is logged; a question is logged and answered so that the operation fails (what it
// would have asked about is the error the folder's caller gets); a long operation runs inline
// and is never cancelled.
#pragma once

#include "mount/mount_log.h"
#include "ports/progress_port.h"
#include "ports/user_port.h"

namespace orv::mount {

class CMountUserPort final : public IUserPort {
public:
    explicit CMountUserPort(CMountLog& log) : m_log(log) {}
    Answer ShowMessage(const Message& message) override;
    // The diskette asked for is never inserted.
    Answer AskInsertDiskette(const Message& message) override;

private:
    CMountLog& m_log;
};

class CInlineProgress final : public IProgressRunner, private IProgressSink {
public:
    int RunProgress(const ProgressSpec& display,
                    const std::function<void(IProgressSink&)>& worker) override;

private:
    void SetPercent(int) override {}
    void ShowCounts(long, long) override {}
    bool CancelRequested() const override { return false; }
};

}  // namespace orv::mount

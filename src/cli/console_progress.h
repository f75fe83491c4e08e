// Long operations on the console: the worker runs on its own thread; a progress line goes to
// stderr when it is a terminal; Ctrl-C asks the cancel question with the worker held.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "ports/progress_port.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv::cli {

// Ctrl-C: while a long operation runs it is a request to cancel, otherwise it ends the program.
// SIGTERM and SIGHUP cancel a long operation without asking. None of the three ends the program
// in the middle of a write that RunWhole runs, nor of a long operation: a signal that comes
// then ends it when EndIfSignalled is called after the command.
void InstallInterruptHandler();
void EndIfSignalled();
bool TakeInterrupt();  // true once per Ctrl-C received since the last call
void ArmInterrupt(bool on);
// While a format or disk service runs, Ctrl-C is its dialog's Cancel: a running worker is asked
// to stop (m_nState 0 -> -1). Null ends that.
void SetStopTarget(IWorkerDialog* dialog);
bool IsTerminal(int fd);
// " 12.5 of 450.0 MB, 3:10 left": what the progress line adds to the counts of an operation
// that knows its bytes (the time left once a second has gone by).
std::string AmountText(std::int64_t done, std::int64_t total,
                       std::chrono::steady_clock::duration elapsed);

class ConsoleProgressRunner final : public IProgressRunner {
public:
    ConsoleProgressRunner(IUserPort& user, bool showProgress)
        : m_user(user), m_bShow(showProgress) {}
    int RunProgress(const ProgressSpec& display,
                    const std::function<void(IProgressSink&)>& worker) override;
    void RunWhole(const std::function<void()>& step) override;
    void SetBatch(int file, int count) override {
        m_nBatchFile = file;
        m_nBatchCount = count;
    }

private:
    IUserPort& m_user;
    bool m_bShow;
    int m_nBatchFile = 0, m_nBatchCount = 0;
};

}  // namespace orv::cli

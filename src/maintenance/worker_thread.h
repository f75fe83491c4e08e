// Runs a maintenance worker on a thread of its own, or to its end on the calling thread (the
// command line, where Ctrl-C plays the dialog's Cancel).
#pragma once

#include <functional>
#include <thread>

namespace orv {

enum class WorkerLaunch { Thread, Inline };

class CWorkerThread {
public:
    explicit CWorkerThread(WorkerLaunch mode) : m_mode(mode) {}
    ~CWorkerThread() { Join(); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // False when no thread could be created; the body has not run then.
    bool Start(std::function<int()> body);
    // Waits for the body's end (at once when nothing runs); the result of the last body.
    int Join();
    WorkerLaunch Mode() const { return m_mode; }

private:
    WorkerLaunch m_mode;
    std::thread m_thread;
    int m_nResult = -1;
};

}  // namespace orv

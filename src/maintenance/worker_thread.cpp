#include "maintenance/worker_thread.h"

#include <system_error>

namespace orv {

bool CWorkerThread::Start(std::function<int()> body) {
    Join();
    if (m_mode == WorkerLaunch::Inline) {
        m_nResult = body();
        return true;
    }
    try {
        m_thread = std::thread([this, body = std::move(body)] { m_nResult = body(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

int CWorkerThread::Join() {
    if (m_thread.joinable()) m_thread.join();
    return m_nResult;
}

}  // namespace orv

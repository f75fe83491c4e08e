#include "ui/dialogs/worker_display.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>

namespace orv {

CWorkerDisplay::CWorkerDisplay(QLabel* status, QProgressBar* progress, QObject* parent)
    : QObject(parent), m_pStatus(status), m_pProgress(progress) {}

bool CWorkerDisplay::OnOwnThread() const {
    return QThread::currentThread() == thread();
}

void CWorkerDisplay::SetStatus(const std::string& text) {
    if (OnOwnThread()) {
        {
            std::lock_guard lock(m_mutex);
            m_pendingStatus.reset();
        }
        m_pStatus->setText(QString::fromStdString(text));
        return;
    }
    std::lock_guard lock(m_mutex);
    m_pendingStatus = text;
    PostFlush();
}

void CWorkerDisplay::SetProgress(int position) {
    if (OnOwnThread()) {
        {
            std::lock_guard lock(m_mutex);
            m_pendingProgress.reset();
        }
        m_pProgress->setValue(position);
        return;
    }
    std::lock_guard lock(m_mutex);
    m_pendingProgress = position;
    PostFlush();
}

void CWorkerDisplay::PostFlush() {
    if (m_bFlushPosted) return;
    m_bFlushPosted = true;
    QMetaObject::invokeMethod(this, &CWorkerDisplay::Flush, Qt::QueuedConnection);
}

void CWorkerDisplay::Flush() {
    std::optional<std::string> status;
    std::optional<int> progress;
    {
        std::lock_guard lock(m_mutex);
        status.swap(m_pendingStatus);
        progress.swap(m_pendingProgress);
        m_bFlushPosted = false;
    }
    if (status) m_pStatus->setText(QString::fromStdString(*status));
    if (progress) m_pProgress->setValue(*progress);
}

}  // namespace orv

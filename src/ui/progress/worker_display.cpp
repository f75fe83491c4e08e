#include "ui/progress/worker_display.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>

namespace orv {

CWorkerDisplay::CWorkerDisplay(QProgressBar* progress, std::vector<QLabel*> lines, QObject* parent)
    : QObject(parent),
      m_pProgress(progress),
      m_lines(std::move(lines)),
      m_pendingLines(m_lines.size()) {}

bool CWorkerDisplay::OnOwnThread() const {
    return QThread::currentThread() == thread();
}

void CWorkerDisplay::SetLine(std::size_t line, const std::string& text) {
    if (line >= m_lines.size()) return;
    if (OnOwnThread()) {
        {
            std::lock_guard lock(m_mutex);
            m_pendingLines[line].reset();
        }
        m_lines[line]->setText(QString::fromStdString(text));
        return;
    }
    std::lock_guard lock(m_mutex);
    m_pendingLines[line] = text;
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
    std::optional<int> progress;
    std::vector<std::optional<std::string>> lines(m_lines.size());
    {
        std::lock_guard lock(m_mutex);
        progress.swap(m_pendingProgress);
        lines.swap(m_pendingLines);
        m_pendingLines.resize(m_lines.size());
        m_bFlushPosted = false;
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i]) m_lines[i]->setText(QString::fromStdString(*lines[i]));
    if (progress) m_pProgress->setValue(*progress);
}

}  // namespace orv

// The status line and progress bar of a dialog whose worker runs on a thread of its own.
// Updates from the worker reach the controls on the user-interface thread without the worker
// waiting for them, so a worker can never block on a dialog that is busy waiting for it; when
// several arrive before they are shown, the latest of each kind wins. An update made on the
// user-interface thread comes after everything the worker said and replaces what is pending.
#pragma once

#include <QObject>
#include <mutex>
#include <optional>
#include <string>

class QLabel;
class QProgressBar;

namespace orv {

class CWorkerDisplay : public QObject {
    Q_OBJECT
public:
    // Both controls must outlive this object (make them siblings under the same dialog).
    CWorkerDisplay(QLabel* status, QProgressBar* progress, QObject* parent);

    // Any thread.
    void SetStatus(const std::string& text);
    void SetProgress(int position);

private:
    bool OnOwnThread() const;
    void PostFlush();  // with m_mutex held
    void Flush();

    QLabel* m_pStatus;
    QProgressBar* m_pProgress;
    std::mutex m_mutex;
    std::optional<std::string> m_pendingStatus;
    std::optional<int> m_pendingProgress;
    bool m_bFlushPosted = false;
};

}  // namespace orv

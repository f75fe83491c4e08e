// The controls of a dialog whose worker runs on a thread of its own: a progress bar and text
// lines (the status line of the format and the disk service; the counter line and the time
// left of the progress dialog). Updates from the worker reach the controls on the
// user-interface thread without the worker waiting for them, so a worker can never block on a
// dialog that is busy waiting for it; when several arrive before they are shown, the latest of
// each control wins. An update made on the user-interface thread comes after everything the
// worker said and replaces what is pending.
#pragma once

#include <QObject>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;

namespace orv {

class CWorkerDisplay : public QObject {
    Q_OBJECT
public:
    // The controls must outlive this object (make them siblings under the same dialog).
    CWorkerDisplay(QProgressBar* progress, std::vector<QLabel*> lines, QObject* parent);

    // Any thread.
    void SetProgress(int position);
    void SetLine(std::size_t line, const std::string& text);
    void SetStatus(const std::string& text) { SetLine(0, text); }

private:
    bool OnOwnThread() const;
    void PostFlush();  // with m_mutex held
    void Flush();

    QProgressBar* m_pProgress;
    std::vector<QLabel*> m_lines;
    std::mutex m_mutex;
    std::optional<int> m_pendingProgress;
    std::vector<std::optional<std::string>> m_pendingLines;
    bool m_bFlushPosted = false;
};

}  // namespace orv

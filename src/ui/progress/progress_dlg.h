// The progress dialog of file transfers: the worker runs on a thread of its own while the
// dialog animates two sheets of paper from the source's picture to the target's, shows the
// percentage and the counters, and takes a request to stop.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "maintenance/worker_thread.h"
#include "ports/progress_port.h"
#include "ports/user_port.h"
#include "ui/progress/time_left.h"

class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orv {

class CWorkerDisplay;

// The worker runs on a CWorkerThread and its reports reach the controls through a
// CWorkerDisplay, as in the format and disk service dialogs: the worker never waits for the
// dialog, which may be waiting for it.
class CProgressDlg : public QDialog, public IProgressSink {
    Q_OBJECT
public:
    CProgressDlg(IUserPort& user, QWidget* parent);
    ~CProgressDlg() override;

    // Runs the dialog modally: PROGRESS_OK when the worker finished and nobody cancelled,
    // PROGRESS_CANCELLED otherwise. The worker thread has ended when this returns.
    int exec() override;

    // Worker side, called from the worker thread. Each waits while the cancel question is open.
    void SetPercent(int percent) override;
    void ShowCounts(long done, long total) override;
    bool CancelRequested() const override;

    // The step of the animation shared by every progress dialog of the process (0..5).
    static int AnimationCounter();

    // Cancel (the button, Esc or the close box).
    void reject() override;

    // Set by the caller before exec.
    Picture m_hIconLeft = Picture::Computer;
    Picture m_hIconRight = Picture::Diskette;
    std::string m_strCountFormat;  // two %ld; empty = no counter line
    std::string m_strCancelQuestion;
    bool m_bAskBeforeCancel = false;
    std::string m_strFileLine;                        // empty = left as is
    std::string m_strTitle;                           // empty = the template's title
    std::function<void(IProgressSink&)> m_pfnWorker;  // empty = the dialog only animates
    // How long the final bar and counters stay after the worker ended (none inside a batch of
    // files but after its last one).
    std::chrono::milliseconds m_closingPause = kDefaultClosingPause;
    static constexpr std::chrono::milliseconds kDefaultClosingPause{1500};

    std::atomic<int> m_bCancelRequested{0};  // written only by the user-interface thread
    bool m_bThreadStarted = false;

    // The worker came to its end without ever seeing a request to stop: its work is done,
    // whatever the dialog's result (a Cancel confirmed in the closing pause).
    bool FinishedUncancelled() const { return m_bWorkerReturned && !m_bCancelSeen; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void OnInitDialog();
    void AnimateStep(bool stopping);
    void StartAnimation();
    void StopAnimation();
    void ThreadRoutine();
    void OnWorkerFinished();
    void OnThreadEnded();
    void WaitForThreadEnd();
    void PauseWorker();
    void ResumeWorker();
    void WaitWhilePaused() const;
    void JoinWorker();

    IUserPort& m_user;
    QPixmap m_hIconEmpty;
    QPixmap m_hIconMoving;
    // The icon statics in path order, left end to right end: 1023, 1024 .. 1028, 1029.
    std::array<QLabel*, 7> m_path{};
    QProgressBar* m_pProgress = nullptr;  // 1030
    QLabel* m_pFileLine = nullptr;        // 1006
    QLabel* m_pCountLine = nullptr;       // 1007
    QLabel* m_pTimeLeft = nullptr;        // beside the counter line
    CTimeLeft m_timeLeft;                 // fed by the worker thread only
    QPushButton* m_pCancel = nullptr;     // 2, "&Storno"
    CWorkerDisplay* m_pDisplay = nullptr;
    int m_nAnimationTimer = 0;

    CWorkerThread m_thread{WorkerLaunch::Thread};
    std::atomic<bool> m_bThreadEnded{false};
    std::atomic<bool> m_bWorkerReturned{false};
    mutable std::atomic<bool> m_bCancelSeen{false};  // the worker read the request
    mutable std::mutex m_gateMutex;
    mutable std::condition_variable m_gate;
    bool m_bPaused = false;  // guarded by m_gateMutex

    bool m_bAsking = false;        // the cancel question is open
    bool m_bClosePending = false;  // the worker asked to close while the question was open
    QEventLoop* m_pWaitLoop = nullptr;
};

// The counter line: the format with the two numbers.
std::string FormatCounts(const std::string& format, long done, long total);

}  // namespace orv

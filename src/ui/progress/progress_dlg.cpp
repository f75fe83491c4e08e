#include "ui/progress/progress_dlg.h"

#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "ui/dialogs/dialog_units.h"
#include "ui/platform/busy_cursor.h"
#include "ui/resources/pictures.h"

namespace orv {

namespace {

constexpr int kAnimationMs = 500;
constexpr auto kClosingPause = std::chrono::milliseconds(1500);
constexpr int kAnimationSteps = 6;

// One counter for every progress dialog of the process, so that a second transfer goes on
// with the step where the first one stopped.
int g_nAnimationCounter = 0;

enum PathSlot { LEFT_END = 0, ARC_1024, ARC_1025, ARC_1026, ARC_1027, ARC_1028, RIGHT_END };

}  // namespace

std::string FormatCounts(const std::string& format, long done, long total) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format.c_str(), done, total);
    return buffer;
}

CProgressDlg::CProgressDlg(IUserPort& user, QWidget* parent) : QDialog(parent), m_user(user) {
    setWindowTitle("Orvalis");
    setProperty("helpTopic", "progress");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const CDialogUnits du(font());
    setFixedSize(du.Size(279, 94));

    static constexpr int kPathPositions[7][2] = {{13, 20}, {39, 14},  {78, 7},  {125, 7},
                                                 {170, 7}, {208, 14}, {231, 22}};
    for (std::size_t i = 0; i < m_path.size(); ++i) {
        m_path[i] = new QLabel(this);
        m_path[i]->setGeometry(du.X(kPathPositions[i][0]), du.Y(kPathPositions[i][1]), 32, 32);
    }
    m_pFileLine = new QLabel(this);
    m_pFileLine->setGeometry(du.Rect(7, 45, 263, 8));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setGeometry(du.Rect(7, 63, 196, 9));
    m_pProgress->setTextVisible(false);
    m_pCountLine = new QLabel(this);
    m_pCountLine->setGeometry(du.Rect(7, 79, 171, 8));
    m_pTimeLeft = new QLabel(this);
    m_pTimeLeft->setObjectName("timeLeft");
    m_pTimeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pTimeLeft->setGeometry(du.Rect(180, 79, 90, 8));
    m_pCancel = new QPushButton("&Storno", this);
    m_pCancel->setGeometry(du.Rect(220, 61, 50, 14));
    m_pCancel->setAutoDefault(false);  // Enter does nothing: the OK button is hidden
    connect(m_pCancel, &QPushButton::clicked, this, &CProgressDlg::reject);
}

CProgressDlg::~CProgressDlg() {
    if (m_thread.joinable()) {
        m_bCancelRequested = 1;
        ResumeWorker();
        m_thread.join();
    }
}

int CProgressDlg::AnimationCounter() {
    return g_nAnimationCounter;
}

int CProgressDlg::exec() {
    CArrowWhileAsking arrow;
    OnInitDialog();
    const int result = QDialog::exec();
    JoinWorker();
    return result == PROGRESS_OK ? PROGRESS_OK : PROGRESS_CANCELLED;
}

void CProgressDlg::OnInitDialog() {
    m_hIconEmpty = LoadPicture(IDI_EMPTY);
    m_hIconMoving = LoadPicture(IDI_PAPERS);
    for (QLabel* label : m_path) label->setPixmap(m_hIconEmpty);
    m_path[LEFT_END]->setPixmap(LoadPicture(int(m_hIconLeft)));
    m_path[RIGHT_END]->setPixmap(LoadPicture(int(m_hIconRight)));
    StartAnimation();
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    if (!m_strTitle.empty()) setWindowTitle(QString::fromStdString(m_strTitle));
    if (!m_strFileLine.empty()) m_pFileLine->setText(QString::fromStdString(m_strFileLine));
    if (!m_strCountFormat.empty())
        m_pCountLine->setText(QString::fromStdString(FormatCounts(m_strCountFormat, 0, 0)));
    if (m_pfnWorker) {
        try {
            m_thread = std::thread([this] { ThreadRoutine(); });
            m_bThreadStarted = true;
        } catch (const std::system_error&) {
            m_pFileLine->setText("Could not run thread");
        }
    }
}

void CProgressDlg::ThreadRoutine() {
    m_pfnWorker(*this);
    m_bWorkerReturned = true;
    // The final bar and counters stay visible for a moment.
    std::this_thread::sleep_for(kClosingPause);
    // An open cancel question decides first.
    WaitWhilePaused();
    if (m_bCancelRequested == 0)
        QMetaObject::invokeMethod(
            this, [this] { OnWorkerFinished(); }, Qt::QueuedConnection);
    m_bThreadEnded = true;
    QMetaObject::invokeMethod(
        this, [this] { OnThreadEnded(); }, Qt::QueuedConnection);
}

void CProgressDlg::OnWorkerFinished() {
    if (m_bCancelRequested) return;  // a confirmed Cancel closes the dialog itself
    if (m_bAsking) {
        m_bClosePending = true;  // the answer decides
        return;
    }
    StopAnimation();
    done(PROGRESS_OK);
}

void CProgressDlg::OnThreadEnded() {
    if (m_pWaitLoop) m_pWaitLoop->quit();
}

void CProgressDlg::reject() {
    if (m_bAsking || m_pWaitLoop) return;
    StopAnimation();
    if (m_bAskBeforeCancel) {
        const bool pause = m_pfnWorker && m_bThreadStarted;
        if (pause) PauseWorker();
        m_bAsking = true;
        const Answer answer =
            m_user.ShowMessage(Message{m_strCancelQuestion, Buttons::YesNo, Icon::Exclamation});
        m_bAsking = false;
        if (answer == Answer::Yes) m_bCancelRequested = 1;
        if (pause) ResumeWorker();
    } else {
        m_bCancelRequested = 1;
    }
    if (m_bCancelRequested) {
        if (m_bThreadStarted) WaitForThreadEnd();
        done(PROGRESS_CANCELLED);
        return;
    }
    if (m_bClosePending) {
        m_bClosePending = false;
        done(PROGRESS_OK);
        return;
    }
    StartAnimation();
}

void CProgressDlg::WaitForThreadEnd() {
    // Keep serving the queued updates and the close request while the worker runs out.
    QEventLoop loop;
    m_pWaitLoop = &loop;
    if (!m_bThreadEnded) loop.exec();
    m_pWaitLoop = nullptr;
    JoinWorker();
}

void CProgressDlg::JoinWorker() {
    if (m_thread.joinable()) m_thread.join();
}

void CProgressDlg::SetPercent(int percent) {
    WaitWhilePaused();
    QMetaObject::invokeMethod(
        m_pProgress, [bar = m_pProgress, percent] { bar->setValue(percent); },
        Qt::QueuedConnection);
}

void CProgressDlg::ShowCounts(long done, long total) {
    WaitWhilePaused();
    const std::optional<long> left = m_timeLeft.Update(done, total, CTimeLeft::Clock::now());
    if (left) {
        const QString text = QString::fromStdString(TimeLeftText(*left));
        QMetaObject::invokeMethod(
            m_pTimeLeft, [label = m_pTimeLeft, text] { label->setText(text); },
            Qt::QueuedConnection);
    }
    if (m_strCountFormat.empty()) return;
    const QString text = QString::fromStdString(FormatCounts(m_strCountFormat, done, total));
    QMetaObject::invokeMethod(
        m_pCountLine, [line = m_pCountLine, text] { line->setText(text); }, Qt::QueuedConnection);
}

bool CProgressDlg::CancelRequested() const {
    WaitWhilePaused();
    const bool requested = m_bCancelRequested != 0;
    if (requested) m_bCancelSeen = true;
    return requested;
}

void CProgressDlg::PauseWorker() {
    std::lock_guard lock(m_gateMutex);
    m_bPaused = true;
}

void CProgressDlg::ResumeWorker() {
    {
        std::lock_guard lock(m_gateMutex);
        m_bPaused = false;
    }
    m_gate.notify_all();
}

void CProgressDlg::WaitWhilePaused() const {
    std::unique_lock lock(m_gateMutex);
    m_gate.wait(lock, [this] { return !m_bPaused; });
}

void CProgressDlg::StartAnimation() {
    if (m_nAnimationTimer == 0) m_nAnimationTimer = startTimer(kAnimationMs);
}

void CProgressDlg::StopAnimation() {
    if (m_nAnimationTimer != 0) {
        killTimer(m_nAnimationTimer);
        m_nAnimationTimer = 0;
    }
    AnimateStep(true);
}

void CProgressDlg::timerEvent(QTimerEvent*) {
    AnimateStep(false);
}

void CProgressDlg::AnimateStep(bool stopping) {
    const QPixmap& x = stopping ? m_hIconEmpty : m_hIconMoving;
    const QPixmap& empty = m_hIconEmpty;
    switch (g_nAnimationCounter) {
        case 0:
            m_path[ARC_1024]->setPixmap(x);
            break;
        case 1:
            m_path[ARC_1024]->setPixmap(empty);
            m_path[ARC_1025]->setPixmap(x);
            break;
        case 2:
            m_path[ARC_1025]->setPixmap(empty);
            m_path[ARC_1026]->setPixmap(x);
            break;
        case 3:
            m_path[ARC_1027]->setPixmap(x);
            m_path[ARC_1026]->setPixmap(empty);
            break;
        case 4:
            m_path[ARC_1027]->setPixmap(empty);
            m_path[ARC_1028]->setPixmap(x);
            break;
        default:
            m_path[ARC_1028]->setPixmap(empty);
            break;
    }
    repaint();
    g_nAnimationCounter = (g_nAnimationCounter + 1) % kAnimationSteps;
}

}  // namespace orv

#include "ui/dialogs/worker_dialog.h"

#include <QCoreApplication>

#include "ui/dialogs/results_dlg.h"
#include "ui/progress/worker_display.h"

namespace orv {

namespace {

constexpr int kTickMs = 400;

}  // namespace

void CWorkerDialog::Attach(CWorkerController& controller, QLabel* status, QProgressBar* progress) {
    m_pController = &controller;
    m_pDisplay = new CWorkerDisplay(progress, {status}, this);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_pController->Tick(); });
}

void CWorkerDialog::LetWorkerEnd() {
    m_timer.stop();
    if (m_pController && m_pController->TimerActive()) {
        m_pController->RequestStop();
        while (m_pController->m_bRunning != 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

void CWorkerDialog::reject() {
    if (m_pController)
        m_pController->Cancel();
    else
        QDialog::reject();
}

void CWorkerDialog::SetStatus(const std::string& text) {
    m_pDisplay->SetStatus(text);
}

void CWorkerDialog::SetProgress(int position) {
    m_pDisplay->SetProgress(position);
}

void CWorkerDialog::SetTimer(bool on) {
    if (on)
        m_timer.start();
    else
        m_timer.stop();
}

void CWorkerDialog::ShowResults(const ResultsTexts& texts) {
    CResultsDlg dlg(texts, this);
    dlg.exec();
}

void CWorkerDialog::CloseDialog() {
    QDialog::reject();
}

}  // namespace orv

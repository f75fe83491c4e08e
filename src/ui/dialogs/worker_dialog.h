// What the format and disk service dialogs share: the status line and progress bar fed from the
// worker thread, the 400 ms timer that ticks the controller, Cancel, the results dialog, and a
// close that lets a running worker end first.
#pragma once

#include <QDialog>
#include <QTimer>

#include "maintenance/worker_controller.h"

class QLabel;
class QProgressBar;

namespace orv {

class CWorkerDisplay;

class CWorkerDialog : public QDialog, protected IMaintenanceView {
    Q_OBJECT
public:
    // Cancel, Escape and closing the window: a running worker is asked to stop, an idle dialog
    // closes.
    void reject() override;

protected:
    explicit CWorkerDialog(QWidget* parent) : QDialog(parent) {}

    // The end of the derived constructor, once the controls and the controller exist.
    void Attach(CWorkerController& controller, QLabel* status, QProgressBar* progress);
    // The start of the derived destructor: a worker may be waiting for an answer that only this
    // thread can give, so it must reach its end before the controller waits for its thread.
    void LetWorkerEnd();

    // IMaintenanceView; SetBusy stays with each dialog.
    void SetStatus(const std::string& text) override;
    void SetProgress(int position) override;
    void SetTimer(bool on) override;
    void ShowResults(const ResultsTexts& texts) override;
    void CloseDialog() override;

private:
    CWorkerController* m_pController = nullptr;
    CWorkerDisplay* m_pDisplay = nullptr;
    QTimer m_timer;
};

}  // namespace orv

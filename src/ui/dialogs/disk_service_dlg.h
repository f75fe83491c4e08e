// The disk service dialog: repair of sector 0, the system parts test and the full test, each
// on a worker thread, with a turning drive while a test runs and the byte balance afterwards.
#pragma once

#include <QDialog>
#include <QTimer>

#include "maintenance/diskservice/service_controller.h"

class QButtonGroup;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orv {

class CWorkerDisplay;

class CDiskServiceDlg : public QDialog, private IMaintenanceView {
    Q_OBJECT
public:
    CDiskServiceDlg(CDrive& drive, IUserPort& user, QWidget* parent = nullptr);
    ~CDiskServiceDlg() override;

    const CDiskServiceController& Controller() const { return m_controller; }
    // The picture that the turning drive shows now (140, 141 or 142).
    int TurningIcon() const { return m_nTurningIcon; }
    // Cancel, Escape and closing the window: a running test is asked to stop, an idle dialog
    // closes.
    void reject() override;

private:
    // IMaintenanceView.
    void SetStatus(const std::string& text) override;
    void SetProgress(int position) override;
    void SetTimer(bool on) override;
    void SetBusy(bool busy) override;
    void ShowResults(const ResultsTexts& texts) override;
    void CloseDialog() override;
    void ShowTurningIcon(int iconId) override;

    void OnStart();

    QLabel* m_pTurning = nullptr;         // 1037
    QButtonGroup* m_pTestType = nullptr;  // 1052, 1002, 1003
    QLabel* m_pStatus = nullptr;          // 1035
    QProgressBar* m_pProgress = nullptr;  // 1008
    QPushButton* m_pStart = nullptr;      // 1036
    QPushButton* m_pClose = nullptr;      // 2
    CWorkerDisplay* m_pDisplay = nullptr;
    int m_nTurningIcon = 0;
    QTimer m_timer;
    CDiskServiceController m_controller;
};

}  // namespace orv

// The disk service dialog: repair of sector 0, the system parts test and the full test, each
// on a worker thread, with a turning drive while a test runs and the byte balance afterwards.
#pragma once

#include "maintenance/diskservice/service_controller.h"
#include "ui/dialogs/worker_dialog.h"

class QButtonGroup;
class QLabel;
class QPushButton;

namespace orv {

class CDiskServiceDlg : public CWorkerDialog {
    Q_OBJECT
public:
    CDiskServiceDlg(CDrive& drive, IUserPort& user, QWidget* parent = nullptr);
    ~CDiskServiceDlg() override;

    const CDiskServiceController& Controller() const { return m_controller; }
    // Chooses the test type before the dialog runs (the full test for a diskette whose system
    // area cannot be read).
    void SelectTestType(int testType);
    // The picture that the turning drive shows now (140, 141 or 142).
    int TurningIcon() const { return m_nTurningIcon; }

private:
    void SetBusy(bool busy) override;
    void ShowTurningIcon(int iconId) override;

    void OnStart();

    QLabel* m_pTurning = nullptr;         // 1037
    QButtonGroup* m_pTestType = nullptr;  // 1052, 1002, 1003
    QPushButton* m_pStart = nullptr;      // 1036
    QPushButton* m_pClose = nullptr;      // 2
    int m_nTurningIcon = 0;
    CDiskServiceController m_controller;
};

}  // namespace orv

// The format dialog: quick or full format, the label, and the byte balance afterwards. The
// format runs on a worker thread; a 400 ms timer notices its end and runs the finishing step.
#pragma once

#include <QDialog>
#include <QTimer>

#include "maintenance/format/format_controller.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace orv {

class CWorkerDisplay;

class CFormatDlg : public QDialog, private IMaintenanceView {
    Q_OBJECT
public:
    CFormatDlg(CDrive& drive, IUserPort& user, QWidget* parent = nullptr);
    ~CFormatDlg() override;

    const CFormatController& Controller() const { return m_controller; }
    // Cancel, Escape and closing the window: a running format is asked to stop, an idle
    // dialog closes.
    void reject() override;

private:
    // IMaintenanceView.
    void SetStatus(const std::string& text) override;
    void SetProgress(int position) override;
    void SetTimer(bool on) override;
    void SetBusy(bool busy) override;
    void ShowResults(const ResultsTexts& texts) override;
    void CloseDialog() override;

    void OnFormat();
    void OnNoLabel();
    void ControlsToMembers();
    void MembersToControls();

    QComboBox* m_pSize = nullptr;            // 1001
    QButtonGroup* m_pFormatType = nullptr;   // 1002, 1003
    QLineEdit* m_pLabel = nullptr;           // 1005
    QCheckBox* m_pNoLabel = nullptr;         // 1006
    QCheckBox* m_pDisplayResults = nullptr;  // 1007
    QLabel* m_pStatus = nullptr;             // 1013
    QProgressBar* m_pProgress = nullptr;     // 1008
    QPushButton* m_pFormat = nullptr;        // 1000
    QPushButton* m_pClose = nullptr;         // 2
    CWorkerDisplay* m_pDisplay = nullptr;
    QTimer m_timer;
    CFormatController m_controller;
};

}  // namespace orv

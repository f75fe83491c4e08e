// The format dialog: quick or full format, the label, and the byte balance afterwards. The
// format runs on a worker thread; a 400 ms timer notices its end and runs the finishing step.
#pragma once

#include "maintenance/format/format_controller.h"
#include "ui/dialogs/worker_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace orv {

class CFormatDlg : public CWorkerDialog {
    Q_OBJECT
public:
    CFormatDlg(CDrive& drive, IUserPort& user, QWidget* parent = nullptr);
    ~CFormatDlg() override;

    const CFormatController& Controller() const { return m_controller; }

private:
    void SetBusy(bool busy) override;

    void OnFormat();
    void OnNoLabel();
    void ControlsToMembers();
    void MembersToControls();

    QComboBox* m_pSize = nullptr;            // 1001
    QButtonGroup* m_pFormatType = nullptr;   // 1002, 1003
    QLineEdit* m_pLabel = nullptr;           // 1005
    QCheckBox* m_pNoLabel = nullptr;         // 1006
    QCheckBox* m_pDisplayResults = nullptr;  // 1007
    QPushButton* m_pFormat = nullptr;        // 1000
    QPushButton* m_pClose = nullptr;         // 2
    CDrive& m_drive;
    IUserPort& m_user;
    CFormatController m_controller;
};

}  // namespace orv

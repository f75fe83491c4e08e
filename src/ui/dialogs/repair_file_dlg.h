// The repair-file dialog, in two modes: collect the pieces of an intact file into a repair file
// (create), or put the pieces of a repair file into the damaged copy (repair). The user enters
// the positions of the bad-sector report, the two files and the start byte.
#pragma once

#include <QDialog>
#include <optional>

#include "maintenance/repair/repair_input.h"
#include "ports/user_port.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace orv {

class IFileChooser;

class CRepairFileDlg : public QDialog {
    Q_OBJECT
public:
    enum Mode { CREATE = 0, REPAIR = 1 };

    // badSectors receives the entered positions on OK.
    CRepairFileDlg(RepairList* badSectors, IUserPort& user, IFileChooser& chooser, Mode mode,
                   QWidget* parent = nullptr);

    // What the user entered; set once the dialog closed with OK.
    const std::optional<RepairRequest>& Request() const { return m_request; }

    // The Repair button: closes only when both files are named and the start byte validates.
    void accept() override;

protected:
    // Enter presses Add from the number field and the list only: in the other fields it would
    // add whatever number was typed last.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnAdd();
    void OnRemove();
    // Fills the list and the start byte from a saved bad-sector report or a --report-json file.
    void OnLoadReport();
    void OnBrowseFile();
    void OnBrowseRepairFile();

    const int m_bRepairMode;
    RepairList* m_pBadSectors;
    IUserPort& m_user;
    IFileChooser& m_chooser;
    QListWidget* m_pList = nullptr;      // 1008
    QLineEdit* m_pFile = nullptr;        // 1012
    QLineEdit* m_pRepairFile = nullptr;  // 1013
    QLineEdit* m_pSector = nullptr;      // 1009
    QLineEdit* m_pStartByte = nullptr;   // 1023
    std::optional<RepairRequest> m_request;
};

}  // namespace orv

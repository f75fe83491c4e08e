// The report shown after a copy met unreadable units: their chain positions and the start
// byte of this diskette's part, with Save (a text file for a later repair) and Mark.
#pragma once

#include <QDialog>

#include "transfer/bad_sector_report.h"

class QPushButton;

namespace orv {

class IFileChooser;

class BadSectorReportDialog : public QDialog {
    Q_OBJECT
public:
    BadSectorReportDialog(BadSectorReport& report, IUserPort& user, IFileChooser& chooser,
                          QWidget* parent = nullptr);

    void OnSave();
    void OnMark();

private:
    BadSectorReport& m_report;
    IUserPort& m_user;
    IFileChooser& m_chooser;
    QPushButton* m_pMark = nullptr;  // 1051
};

// The document's report port: runs the dialog modally.
class CReportPort : public IBadSectorReportPort {
public:
    CReportPort(IUserPort& user, IFileChooser& chooser) : m_user(user), m_chooser(chooser) {}
    void ShowBadSectorReport(BadSectorReport& report) override;

private:
    IUserPort& m_user;
    IFileChooser& m_chooser;
};

}  // namespace orv

#include "ui/dialogs/repair_file_dlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "maintenance/repair/repair_texts.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/dialogs/list_choice.h"
#include "ui/dialogs/report_file.h"
#include "ui/platform/busy_cursor.h"
#include "ui/resources/pictures.h"

namespace orv {

namespace {

constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";
constexpr const char* kReportFilter = "Bad-sector reports|*.txt;*.json|All Files (*.*)|*.*||";

}  // namespace

CRepairFileDlg::CRepairFileDlg(RepairList* badSectors, IUserPort& user, IFileChooser& chooser,
                               Mode mode, QWidget* parent)
    : QDialog(parent),
      m_bRepairMode(mode == REPAIR ? 1 : 0),
      m_pBadSectors(badSectors),
      m_user(user),
      m_chooser(chooser) {
    const bool repair = m_bRepairMode == 1;
    setWindowTitle(repair ? repair_text::kRepairTitle : repair_text::kCreateTitle);
    setProperty("helpTopic", "repair");
    const CDialogTemplate t(this, 196, 215);

    t.Static("1.) Enter list of bad sectors", 7, 7, 146, 8);
    QLabel* sectorLabel = t.Static("Sector number:", 7, 24, 58, 8);
    m_pSector = t.Edit(68, 21, 42, 14);
    m_pSector->setObjectName("sector");
    sectorLabel->setBuddy(m_pSector);
    m_pList = new QListWidget(this);
    m_pList->setObjectName("sectors");
    m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    t.Units().Place(m_pList, 7, 44, 48, 58);
    QPushButton* add = t.Button("&Add", 82, 48, 50, 14);
    add->setObjectName("add");
    add->setDefault(true);
    QPushButton* remove = t.Button("&Remove", 82, 72, 50, 14);
    remove->setObjectName("remove");
    QPushButton* load = t.Button("&Load report...", 82, 90, 70, 14);
    load->setObjectName("loadReport");
    t.Icon(IDR_MAINFRAME, 151, 18);
    t.Icon(IDI_DOT_GREEN, 57, 44);
    t.Icon(IDI_DOT_RED, 57, 70);

    t.Static(repair ? "2.) Enter name of file to be repaired" : "2.) Enter name of source file", 7,
             110, 176, 8);
    m_pFile = t.Edit(7, 121, 151, 14);
    m_pFile->setObjectName("file");
    QPushButton* browseFile = t.Button("...", 168, 121, 21, 14);
    browseFile->setObjectName("browseFile");
    t.Static(
        repair ? "3.) Enter name of repair file" : "3.) And name of repair file (will by created)",
        7, 139, 182, 8);
    m_pRepairFile = t.Edit(7, 150, 150, 14);
    m_pRepairFile->setObjectName("repairFile");
    QPushButton* browseRepair = t.Button("...", 168, 151, 21, 14);
    browseRepair->setObjectName("browseRepairFile");
    QLabel* startLabel = t.Static("Start Byte (for file < diskette is 0)", 7, 177, 119, 8);
    m_pStartByte = t.Edit(149, 172, 40, 14);
    m_pStartByte->setObjectName("startByte");
    m_pStartByte->setText("0");
    startLabel->setBuddy(m_pStartByte);
    t.Icon(IDI_LOGO, 87, 188);

    QPushButton* ok = t.Button("&Repair", 139, 194, 50, 14);
    ok->setObjectName("ok");
    QPushButton* cancel = t.Button("&Cancel", 7, 194, 50, 14);
    cancel->setObjectName("cancel");

    connect(add, &QPushButton::clicked, this, &CRepairFileDlg::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CRepairFileDlg::OnRemove);
    connect(load, &QPushButton::clicked, this, &CRepairFileDlg::OnLoadReport);
    connect(browseFile, &QPushButton::clicked, this, &CRepairFileDlg::OnBrowseFile);
    connect(browseRepair, &QPushButton::clicked, this, &CRepairFileDlg::OnBrowseRepairFile);
    connect(ok, &QPushButton::clicked, this, &CRepairFileDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CRepairFileDlg::reject);
    m_pSector->setFocus();
}

void CRepairFileDlg::OnAdd() {
    const std::string text = m_pSector->text().toStdString();
    std::vector<std::string> listed;
    for (int i = 0; i < m_pList->count(); ++i)
        listed.push_back(m_pList->item(i)->text().toStdString());
    if (AcceptNewSectorEntry(text, listed, m_user)) m_pList->addItem(QString::fromStdString(text));
    m_pSector->setFocus();
    m_pSector->selectAll();
}

void CRepairFileDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget* focus = focusWidget();
    if (enter && (focus == m_pFile || focus == m_pRepairFile || focus == m_pStartByte)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CRepairFileDlg::OnLoadReport() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::OpenOne;
    request.title = "Load bad-sector report";
    request.filter = kReportFilter;
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    std::vector<ReadReport> reports;
    std::string error;
    if (!LoadBadSectorReports(chosen.front(), reports, error)) {
        Notify(m_user, error);
        return;
    }
    // A file spread over several diskettes has a report for each damaged part, and a command
    // that copied several files one for each: the dialog takes one start byte at a time.
    std::size_t which = 0;
    if (reports.size() > 1) {
        QStringList items;
        for (const ReadReport& r : reports) items << QString::fromStdString(ReportChoiceText(r));
        const int index = ChooseFromList(this, "Load bad-sector report",
                                         "This file holds several reports. Load which one?", items);
        if (index < 0) return;
        which = std::size_t(index);
    }
    const ReadReport& report = reports[which];
    // The report replaces what was typed: its positions belong to its start byte.
    m_pList->clear();
    for (const std::uint32_t position : report.positions)
        m_pList->addItem(QString::number(position));
    m_pStartByte->setText(QString::number(report.startByte));
    m_pFile->setFocus();
}

void CRepairFileDlg::OnRemove() {
    const int row = m_pList->currentRow();
    if (row < 0 || !m_pList->item(row)->isSelected()) return;
    delete m_pList->takeItem(row);
}

void CRepairFileDlg::OnBrowseFile() {
    FileDialogRequest request;
    request.kind = m_bRepairMode ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::OpenOne;
    request.title =
        m_bRepairMode ? "Enter name of file to by repaired:" : "Enter name of source file:";
    request.filter = kAllFilesFilter;
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    // Only the two file names change: what the user typed elsewhere stays.
    m_pFile->setText(QString::fromStdString(chosen.front()));
    m_pRepairFile->setText(QString::fromStdString(ProposeRepairFileName(chosen.front())));
}

void CRepairFileDlg::OnBrowseRepairFile() {
    FileDialogRequest request;
    request.kind = m_bRepairMode ? FileDialogRequest::Kind::OpenOne : FileDialogRequest::Kind::Save;
    request.title = "Enter name of repair file:";
    request.filter = kAllFilesFilter;
    request.initialName = m_pRepairFile->text().toStdString();
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    m_pRepairFile->setText(QString::fromStdString(chosen.front()));
}

void CRepairFileDlg::accept() {
    RepairDialogInput input;
    for (int i = 0; i < m_pList->count(); ++i)
        input.entries.push_back(m_pList->item(i)->text().toStdString());
    input.file = m_pFile->text().toStdString();
    input.repairFile = m_pRepairFile->text().toStdString();
    input.startByte = m_pStartByte->text().toStdString();
    std::optional<RepairRequest> request;
    {
        CBusyCursor busy;
        request = AcceptRepairDialog(input, m_user);
    }
    if (!request) {
        if (!input.file.empty() && !input.repairFile.empty()) {
            m_pStartByte->setFocus();
            m_pStartByte->selectAll();
        }
        return;
    }
    m_request = request;
    if (m_pBadSectors) *m_pBadSectors = request->list;
    QDialog::accept();
}

}  // namespace orv

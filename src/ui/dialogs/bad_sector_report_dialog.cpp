#include "ui/dialogs/bad_sector_report_dialog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/dialogs/file_chooser.h"
#include "ui/platform/busy_cursor.h"
#include "ui/platform/dialog_owner.h"
#include "ui/resources/pictures.h"

namespace orv {

BadSectorReportDialog::BadSectorReportDialog(BadSectorReport& report, IUserPort& user,
                                             IFileChooser& chooser, QWidget* parent)
    : QDialog(parent), m_report(report), m_user(user), m_chooser(chooser) {
    setWindowTitle(kReportTitle);
    setProperty("helpTopic", "badsectors");
    auto* picture = new QLabel(this);  // 1054
    picture->setPixmap(LoadPicture(IDI_BAD_SECTORS));
    auto* explanation = new QLabel(QString::fromStdString(ReportExplanation(report)), this);
    explanation->setTextFormat(Qt::PlainText);
    auto* startLabel = new QLabel("Start Byte:", this);                        // 1030
    auto* startByte = new QLineEdit(QString::number(report.startByte), this);  // 1005
    startByte->setReadOnly(true);
    startByte->setAlignment(Qt::AlignRight);
    auto* list = new QListWidget(this);  // 1018, in the order of the list
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const std::string& row : ReportRows(report)) list->addItem(QString::fromStdString(row));

    auto* save = new QPushButton("&Save", this);  // 1055
    m_pMark = new QPushButton("&Mark", this);     // 1051
    m_pMark->setObjectName("mark");
    // A file put together from images (a rescue) has no diskette whose units could be marked.
    m_pMark->setVisible(report.volume != nullptr);
    auto* close = new QPushButton("C&lose", this);  // 2
    close->setDefault(true);
    save->setAutoDefault(false);
    m_pMark->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &BadSectorReportDialog::OnSave);
    connect(m_pMark, &QPushButton::clicked, this, &BadSectorReportDialog::OnMark);
    connect(close, &QPushButton::clicked, this, &BadSectorReportDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, Qt::AlignTop);
    grid->addWidget(explanation, 0, 1, 1, 2);
    grid->addWidget(startLabel, 1, 1);
    grid->addWidget(startByte, 1, 2);
    grid->addWidget(list, 2, 1, 4, 2);
    grid->addWidget(save, 2, 3);
    grid->addWidget(m_pMark, 3, 3);
    grid->addWidget(close, 4, 3);
    grid->setRowStretch(5, 1);
}

void BadSectorReportDialog::OnSave() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = "Save this informations...";
    request.initialName = ReportFileSuggestion(m_report);
    request.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
    request.confirmOverwrite = true;
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    SaveBadSectorReport(m_report, chosen.front(), m_user);
}

void BadSectorReportDialog::OnMark() {
    if (MarkBadSectors(m_report, m_user)) m_pMark->setEnabled(false);
}

void CReportPort::ShowBadSectorReport(BadSectorReport& report) {
    CArrowWhileAsking arrow;
    BadSectorReportDialog dlg(report, m_user, m_chooser, DialogOwner());
    dlg.exec();
}

}  // namespace orv

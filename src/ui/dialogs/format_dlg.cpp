#include "ui/dialogs/format_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "maintenance/format/files_on_diskette.h"
#include "maintenance/format/format_texts.h"
#include "ports/text_format.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/platform/busy_cursor.h"

namespace orv {

namespace {

enum { QUICK = 0, FULL = 1 };

}  // namespace

CFormatDlg::CFormatDlg(CDrive& drive, IUserPort& user, QWidget* parent)
    : CWorkerDialog(parent),
      m_drive(drive),
      m_user(user),
      m_controller(&drive, user, *this, WorkerLaunch::Thread) {
    setWindowTitle(format_text::kTitle);
    setProperty("helpTopic", "format");
    const CDialogTemplate t(this, 180, 204);

    QLabel* sizeLabel = t.Static("&Diskette size", 7, 7, 80, 8);
    m_pSize = new QComboBox(this);
    m_pSize->setObjectName("size");
    m_pSize->addItem("1.36 MB");
    m_pSize->setCurrentIndex(0);
    t.Units().Place(m_pSize, 7, 17, 166, 14);
    sizeLabel->setBuddy(m_pSize);

    t.Group("Format type ", 7, 37, 166, 38);
    QRadioButton* quick = t.Radio("quick (delete all files)", 14, 49, 150, 10);
    quick->setObjectName("quick");
    QRadioButton* full = t.Radio("&full", 14, 61, 150, 10);
    full->setObjectName("full");
    m_pFormatType = new QButtonGroup(this);
    m_pFormatType->addButton(quick, QUICK);
    m_pFormatType->addButton(full, FULL);

    t.Group("Options", 7, 80, 166, 63);
    QLabel* labelLabel = t.Static("&label", 14, 94, 30, 8);
    m_pLabel = t.Edit(46, 91, 120, 14);
    m_pLabel->setObjectName("label");
    labelLabel->setBuddy(m_pLabel);
    m_pNoLabel = t.Check("&no label", 14, 111, 150, 10);
    m_pNoLabel->setObjectName("noLabel");
    m_pDisplayResults = t.Check("d&isplay results", 14, 125, 150, 10);
    m_pDisplayResults->setObjectName("displayResults");

    QLabel* status = t.Static("", 7, 151, 166, 8);  // 1013
    status->setObjectName("status");
    QProgressBar* progress = t.Progress(7, 162, 166, 10);  // 1008
    progress->setObjectName("progress");

    m_pFormat = t.Button("Format", 31, 182, 50, 14);
    m_pFormat->setObjectName("format");
    m_pClose = t.Button(kCloseButtonText, 99, 182, 50, 14);
    m_pClose->setObjectName("close");

    Attach(m_controller, status, progress);
    connect(m_pFormat, &QPushButton::clicked, this, &CFormatDlg::OnFormat);
    connect(m_pClose, &QPushButton::clicked, this, &CFormatDlg::reject);
    connect(m_pNoLabel, &QCheckBox::clicked, this, &CFormatDlg::OnNoLabel);
    MembersToControls();
}

CFormatDlg::~CFormatDlg() {
    LetWorkerEnd();
}

void CFormatDlg::ControlsToMembers() {
    FormatOptions& o = m_controller.m_options;
    o.formatType = m_pFormatType->checkedId() == FULL ? 1 : 0;
    o.noLabel = m_pNoLabel->isChecked() ? 1 : 0;
    o.displayResults = m_pDisplayResults->isChecked() ? 1 : 0;
    o.label = m_pLabel->text().toStdString();
}

void CFormatDlg::MembersToControls() {
    const FormatOptions& o = m_controller.m_options;
    m_pFormatType->button(o.formatType == 1 ? FULL : QUICK)->setChecked(true);
    m_pNoLabel->setChecked(o.noLabel != 0);
    m_pDisplayResults->setChecked(o.displayResults != 0);
    m_pLabel->setText(QString::fromStdString(o.label));
}

void CFormatDlg::OnNoLabel() {
    ControlsToMembers();
    m_pLabel->setEnabled(m_controller.LabelEnabled());
}

void CFormatDlg::OnFormat() {
    ControlsToMembers();
    // Quick or full, a format leaves no file behind: the user hears how many first.
    int files = 0;
    {
        CBusyCursor busy;
        files = FilesOnDiskette(m_drive);
    }
    if (files > 0 && Ask(m_user, StrFormat(format_text::kAskDeleteFiles, files), Buttons::YesNo,
                         Icon::Question, Answer::No) != Answer::Yes)
        return;
    m_controller.Start();
}

void CFormatDlg::SetBusy(bool busy) {
    if (busy) ControlsToMembers();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_pLabel, m_pSize, m_pFormat, m_pFormatType->button(QUICK),
             m_pFormatType->button(FULL), m_pNoLabel, m_pDisplayResults})
        w->setEnabled(!busy);
    m_pClose->setText(busy ? kCancelButtonText : kCloseButtonText);
    if (busy) {
        setCursor(Qt::BusyCursor);
        repaint();
        return;
    }
    MembersToControls();
    unsetCursor();
}

}  // namespace orv

#include "ui/dialogs/format_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "maintenance/format/format_texts.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/results_dlg.h"
#include "ui/dialogs/worker_display.h"

namespace orv {

namespace {

constexpr int kTickMs = 400;
enum { QUICK = 0, FULL = 1 };

}  // namespace

CFormatDlg::CFormatDlg(CDrive& drive, IUserPort& user, QWidget* parent)
    : QDialog(parent), m_controller(&drive, user, *this, WorkerLaunch::Thread) {
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

    m_pStatus = t.Static("", 7, 151, 166, 8);
    m_pStatus->setObjectName("status");
    m_pProgress = t.Progress(7, 162, 166, 10);
    m_pProgress->setObjectName("progress");

    m_pFormat = t.Button("Format", 31, 182, 50, 14);
    m_pFormat->setObjectName("format");
    m_pClose = t.Button(kCloseButtonText, 99, 182, 50, 14);
    m_pClose->setObjectName("close");

    m_pDisplay = new CWorkerDisplay(m_pStatus, m_pProgress, this);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_controller.Tick(); });
    connect(m_pFormat, &QPushButton::clicked, this, &CFormatDlg::OnFormat);
    connect(m_pClose, &QPushButton::clicked, this, &CFormatDlg::reject);
    connect(m_pNoLabel, &QCheckBox::clicked, this, &CFormatDlg::OnNoLabel);
    MembersToControls();
}

CFormatDlg::~CFormatDlg() {
    // A worker may be waiting for an answer that only this thread can give: let it reach its
    // end before the controller waits for the thread.
    m_timer.stop();
    if (m_controller.TimerActive()) {
        m_controller.RequestStop();
        while (m_controller.m_bRunning != 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
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
    m_controller.Start();
}

void CFormatDlg::reject() {
    m_controller.Cancel();
}

void CFormatDlg::SetStatus(const std::string& text) {
    m_pDisplay->SetStatus(text);
}

void CFormatDlg::SetProgress(int position) {
    m_pDisplay->SetProgress(position);
}

void CFormatDlg::SetTimer(bool on) {
    if (on)
        m_timer.start();
    else
        m_timer.stop();
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

void CFormatDlg::ShowResults(const ResultsTexts& texts) {
    CResultsDlg dlg(texts, this);
    dlg.exec();
}

void CFormatDlg::CloseDialog() {
    QDialog::reject();
}

}  // namespace orv

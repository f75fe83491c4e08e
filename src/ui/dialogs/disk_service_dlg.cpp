#include "ui/dialogs/disk_service_dlg.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "maintenance/diskservice/service_texts.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/results_dlg.h"
#include "ui/dialogs/worker_display.h"
#include "ui/resources/pictures.h"

namespace orv {

namespace {

constexpr int kTickMs = 400;

}  // namespace

CDiskServiceDlg::CDiskServiceDlg(CDrive& drive, IUserPort& user, QWidget* parent)
    : QDialog(parent), m_controller(&drive, user, *this, WorkerLaunch::Thread) {
    setWindowTitle(service_text::kTitle);
    setProperty("helpTopic", "diskservice");
    const CDialogTemplate t(this, 234, 153);

    m_pTurning = t.Icon(IDI_DRIVE_TURN_2, 10, 8);
    m_pTurning->setObjectName("turning");
    m_nTurningIcon = IDI_DRIVE_TURN_2;
    t.Icon(IDR_MAINFRAME, 201, 8);

    t.Group("Test type:", 10, 33, 212, 55);
    m_pTestType = new QButtonGroup(this);
    const struct {
        const char* text;
        int x, y, width;
        int type;
        const char* name;
    } radios[] = {
        {"&Repair #0 sector.", 17, 46, 93, TEST_REPAIR0, "repair0"},
        {"&System parts test.", 17, 60, 134, TEST_SYSTEM_PARTS, "systemParts"},
        {"Full test.", 17, 74, 134, TEST_FULL, "fullTest"},
    };
    for (const auto& r : radios) {
        QRadioButton* radio = t.Radio(r.text, r.x, r.y, r.width, 10);
        radio->setObjectName(r.name);
        m_pTestType->addButton(radio, r.type);
    }
    m_pTestType->button(m_controller.m_nTestType)->setChecked(true);

    m_pStatus = t.Static("", 10, 95, 212, 8);
    m_pStatus->setObjectName("status");
    m_pProgress = t.Progress(10, 108, 212, 14);
    m_pProgress->setObjectName("progress");
    m_pStart = t.Button("&Start", 53, 130, 50, 14);
    m_pStart->setObjectName("start");
    m_pClose = t.Button(kCloseButtonText, 131, 130, 50, 14);
    m_pClose->setObjectName("close");

    m_pDisplay = new CWorkerDisplay(m_pStatus, m_pProgress, this);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_controller.Tick(); });
    connect(m_pStart, &QPushButton::clicked, this, &CDiskServiceDlg::OnStart);
    connect(m_pClose, &QPushButton::clicked, this, &CDiskServiceDlg::reject);
}

CDiskServiceDlg::~CDiskServiceDlg() {
    // A worker may be waiting for an answer that only this thread can give: let it reach its
    // end before the controller waits for the thread.
    m_timer.stop();
    if (m_controller.TimerActive()) {
        m_controller.RequestStop();
        while (m_controller.m_bRunning != 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

void CDiskServiceDlg::OnStart() {
    m_controller.m_nTestType = m_pTestType->checkedId();
    m_controller.Start();
}

void CDiskServiceDlg::reject() {
    m_controller.Cancel();
}

void CDiskServiceDlg::SetStatus(const std::string& text) {
    m_pDisplay->SetStatus(text);
}

void CDiskServiceDlg::SetProgress(int position) {
    m_pDisplay->SetProgress(position);
}

void CDiskServiceDlg::SetTimer(bool on) {
    if (on)
        m_timer.start();
    else
        m_timer.stop();
}

void CDiskServiceDlg::SetBusy(bool busy) {
    m_pStart->setEnabled(!busy);
    m_pClose->setText(busy ? kCancelButtonText : kCloseButtonText);
    if (busy) {
        setCursor(Qt::BusyCursor);
        return;
    }
    // A system parts test may have changed the test type to the full test.
    if (QAbstractButton* radio = m_pTestType->button(m_controller.m_nTestType))
        radio->setChecked(true);
    unsetCursor();
}

void CDiskServiceDlg::ShowResults(const ResultsTexts& texts) {
    CResultsDlg dlg(texts, this);
    dlg.exec();
}

void CDiskServiceDlg::CloseDialog() {
    QDialog::reject();
}

void CDiskServiceDlg::ShowTurningIcon(int iconId) {
    m_nTurningIcon = iconId;
    m_pTurning->setPixmap(LoadPicture(iconId, m_pTurning->size()));
    repaint();
}

}  // namespace orv

#include "ui/dialogs/disk_service_dlg.h"

#include <QButtonGroup>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "maintenance/diskservice/service_texts.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/resources/pictures.h"

namespace orv {

CDiskServiceDlg::CDiskServiceDlg(CDrive& drive, IUserPort& user, QWidget* parent)
    : CWorkerDialog(parent), m_controller(&drive, user, *this, WorkerLaunch::Thread) {
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

    QLabel* status = t.Static("", 10, 95, 212, 8);  // 1035
    status->setObjectName("status");
    QProgressBar* progress = t.Progress(10, 108, 212, 14);  // 1008
    progress->setObjectName("progress");
    m_pStart = t.Button("&Start", 53, 130, 50, 14);
    m_pStart->setObjectName("start");
    m_pClose = t.Button(kCloseButtonText, 131, 130, 50, 14);
    m_pClose->setObjectName("close");

    Attach(m_controller, status, progress);
    connect(m_pStart, &QPushButton::clicked, this, &CDiskServiceDlg::OnStart);
    connect(m_pClose, &QPushButton::clicked, this, &CDiskServiceDlg::reject);
}

CDiskServiceDlg::~CDiskServiceDlg() {
    LetWorkerEnd();
}

void CDiskServiceDlg::SelectTestType(int testType) {
    if (QAbstractButton* radio = m_pTestType->button(testType)) radio->setChecked(true);
}

void CDiskServiceDlg::OnStart() {
    m_controller.m_nTestType = m_pTestType->checkedId();
    m_controller.Start();
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

void CDiskServiceDlg::ShowTurningIcon(int iconId) {
    m_nTurningIcon = iconId;
    m_pTurning->setPixmap(LoadPicture(iconId, m_pTurning->size()));
    repaint();
}

}  // namespace orv

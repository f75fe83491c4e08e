#include "ui/dialogs/disk_info_dlg.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "maintenance/balance/results_texts.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/resources/pictures.h"

namespace orv {

CDiskInfoDlg::CDiskInfoDlg(QWidget* parent) : QDialog(parent) {
    setProperty("helpTopic", "diskinfo");
}

void CDiskInfoDlg::SetInfo(const std::string& label, std::uint32_t stampTime,
                           std::int32_t freeBytes, std::int32_t badBytes, std::int32_t systemBytes,
                           int files) {
    m_info = orv::SetInfo(label, stampTime, freeBytes, badBytes, systemBytes, files);
}

int CDiskInfoDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDiskInfoDlg::OnInitDialog() {
    if (m_bInitialised) return;
    m_bInitialised = true;
    setWindowTitle(kDiskInfoTitle);
    const CDialogTemplate t(this, 204, 174);
    auto text = [&](const std::string& s, int x, int y, int w, const char* name) {
        t.Static(QString::fromStdString(s), x, y, w, 8, Qt::AlignRight)->setObjectName(name);
    };
    auto bar = [&](int value, int y, const char* name) {
        QProgressBar* b = t.Progress(43, y, 154, 8);
        b->setValue(value);
        b->setObjectName(name);
    };

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    t.Units().Place(frame, 7, 7, 25, 59);
    // The legend of the bars: free, used, bad.
    t.Icon(IDI_DOT_GREEN, 9, 8);
    t.Icon(IDI_DOT_YELLOW, 9, 26);
    t.Icon(IDI_DOT_RED, 9, 44);
    t.Icon(IDR_MAINFRAME, 7, 147);

    t.Static("Bytes altogether:", 43, 7, 73, 8);
    text(kTotalBytesText, 143, 7, 54, "total");
    t.Static("Free space:", 43, 21, 75, 8);
    text(m_info.freeText, 149, 21, 48, "freeText");
    bar(m_info.freeBar, 30, "freeBar");
    t.Static("Used bytes:", 43, 43, 60, 8);
    text(m_info.usedText, 152, 43, 45, "usedText");
    bar(m_info.usedBar, 52, "usedBar");
    t.Static("Bytes in bad sectors:", 43, 66, 114, 8);
    text(m_info.badText, 162, 66, 35, "badText");
    bar(m_info.badBar, 76, "badBar");
    t.Static("Bytes used by system:", 43, 90, 114, 8);
    text(m_info.systemText, 164, 90, 33, "systemText");
    t.Static("Label:", 56, 104, 91, 8, Qt::AlignHCenter);
    t.Static(QString::fromStdString(m_info.label), 7, 114, 190, 8, Qt::AlignHCenter)
        ->setObjectName("label");
    t.Static("Format Date:", 7, 127, 120, 8);
    text(m_info.dateText, 137, 127, 60, "dateText");
    t.Static("Number of files on diskette:", 7, 137, 104, 8);
    text(m_info.filesText, 139, 137, 58, "filesText");

    QPushButton* ok = t.Button("OK", 76, 153, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDiskInfoDlg::accept);
}

}  // namespace orv

#include "ui/dialogs/disk_info_dlg.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "fs/layout.h"
#include "transfer/text_format.h"
#include "ui/dialogs/dialog_units.h"
#include "ui/dialogs/group_digits.h"
#include "ui/resources/pictures.h"

namespace orv {

namespace {

constexpr std::int32_t kBarUnit = kDataAreaBytes / 100;  // 14277

}  // namespace

CDiskInfoDlg::CDiskInfoDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setProperty("helpTopic", "diskinfo");
}

void CDiskInfoDlg::SetInfo(const std::string& label, std::uint32_t stampTime,
                           std::int32_t freeBytes, std::int32_t badBytes, std::int32_t systemBytes,
                           int files) {
    m_strLabel = label;
    m_strBad = GroupDigits(badBytes);
    m_nBadBytes = badBytes;
    m_strSystem = GroupDigits(systemBytes);
    m_strFree = GroupDigits(freeBytes);
    m_nFreeBytes = freeBytes;
    m_strDate = DateText(stampTime);
    m_nUsedBytes = kDataAreaBytes - freeBytes - systemBytes - badBytes;
    m_strUsed = GroupDigits(m_nUsedBytes);
    m_strFiles = StrFormat("%d", files);
}

int CDiskInfoDlg::FreeBar(std::int32_t freeBytes) {
    return freeBytes / kBarUnit;
}

int CDiskInfoDlg::MinimumBar(std::int32_t bytes) {
    const int bar = bytes / kBarUnit;
    return bar < 1 && bytes > 1000 ? 1 : bar;
}

int CDiskInfoDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDiskInfoDlg::OnInitDialog() {
    setWindowTitle("Informations - Diskette 3.5 (Halvorn)");
    const CDialogUnits du(font());
    setFixedSize(du.Size(204, 174));

    auto text = [&](const std::string& s, int x, int y, int w, int h, Qt::Alignment a) {
        auto* label = new QLabel(QString::fromStdString(s), this);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(du.Rect(x, y, w, h));
        label->setAlignment(a | Qt::AlignVCenter);
        return label;
    };
    auto bar = [&](int value, int x, int y, int w, int h) {
        auto* b = new QProgressBar(this);
        b->setGeometry(du.Rect(x, y, w, h));
        b->setRange(0, 100);
        b->setValue(value);
        b->setTextVisible(false);
        return b;
    };
    auto icon = [&](int id, int x, int y) {
        auto* label = new QLabel(this);
        label->setPixmap(LoadPicture(id));
        label->setGeometry(du.X(x), du.Y(y), 32, 32);
    };
    const Qt::Alignment left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(du.Rect(7, 7, 25, 59));
    icon(IDI_DOT_GREEN, 9, 8);
    icon(IDI_DOT_YELLOW, 9, 26);
    icon(IDI_DOT_RED, 9, 44);
    icon(IDR_MAINFRAME, 7, 147);

    text("Bytes altogether:", 43, 7, 73, 8, left);
    text(kDisketteTotalText, 143, 7, 54, 8, right);
    text("Free space:", 43, 21, 75, 8, left);
    text(m_strFree, 149, 21, 48, 8, right);
    bar(FreeBar(m_nFreeBytes), 43, 30, 154, 8);
    text("Used bytes:", 43, 43, 60, 8, left);
    text(m_strUsed, 152, 43, 45, 8, right);
    bar(MinimumBar(m_nUsedBytes), 43, 52, 154, 8);
    text("Bytes in bad sectors:", 43, 66, 114, 8, left);
    text(m_strBad, 162, 66, 35, 8, right);
    bar(MinimumBar(m_nBadBytes), 43, 76, 154, 8);
    text("Bytes used by system:", 43, 90, 114, 8, left);
    text(m_strSystem, 164, 90, 33, 8, right);
    text("Label:", 56, 104, 91, 8, centre);
    text(m_strLabel, 7, 114, 190, 8, centre);
    text("Format Date:", 7, 127, 120, 8, left);
    text(m_strDate, 137, 127, 60, 8, right);
    text("Number of files on diskette:", 7, 137, 104, 8, left);
    text(m_strFiles, 139, 137, 58, 8, right);

    auto* ok = new QPushButton("OK", this);
    ok->setGeometry(du.Rect(76, 153, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDiskInfoDlg::accept);
}

}  // namespace orv

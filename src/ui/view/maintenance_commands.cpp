// The commands that work without the open diskette: Format..., Disk service... and the two
// repair-file commands.
#include "maintenance/repair/repair_file.h"
#include "transfer/document.h"
#include "ui/dialogs/disk_service_dlg.h"
#include "ui/dialogs/format_dlg.h"
#include "ui/dialogs/repair_file_dlg.h"
#include "ui/platform/busy_cursor.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

// Both build a volume of their own on drive A:, which must not change under an open diskette.
constexpr const char* kCannotFormatOpen =
    "Diskette is open. Cannot format open diskete.\nClose diskette and try again.";
constexpr const char* kCannotScanOpen =
    "Diskette is open. Cannot scan open diskete.\nClose diskette and again.";

}  // namespace

void COrvalisView::OnFormat() {
    if (m_bOpen) {
        Say(kCannotFormatOpen, Buttons::Ok, Icon::Exclamation);
        return;
    }
    CFormatDlg dlg(m_doc.Drive(), m_user, window());
    dlg.exec();
}

void COrvalisView::OnDiskService(int testType) {
    if (m_bOpen) {
        Say(kCannotScanOpen, Buttons::Ok, Icon::Exclamation);
        return;
    }
    CDiskServiceDlg dlg(m_doc.Drive(), m_user, window());
    if (testType >= 0) dlg.SelectTestType(testType);
    dlg.exec();
}

void COrvalisView::OnCreateRepairFile() {
    RepairList badSectors;
    CRepairFileDlg dlg(&badSectors, m_user, m_chooser, CRepairFileDlg::CREATE, window());
    if (dlg.exec() != QDialog::Accepted || !dlg.Request()) return;
    CBusyCursor busy;
    CreateRepairFile(*dlg.Request(), m_user);
}

void COrvalisView::OnRepairFile() {
    RepairList badSectors;
    CRepairFileDlg dlg(&badSectors, m_user, m_chooser, CRepairFileDlg::REPAIR, window());
    if (dlg.exec() != QDialog::Accepted || !dlg.Request()) return;
    CBusyCursor busy;
    RepairFromRepairFile(*dlg.Request(), m_user);
}

}  // namespace orv

// The properties of the open diskette: its byte balance with three bars, the label, the
// format date and the number of files.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "maintenance/balance/disk_info.h"

namespace orv {

class CDiskInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDiskInfoDlg(QWidget* parent = nullptr);

    void SetInfo(const std::string& label, std::uint32_t stampTime, std::int32_t freeBytes,
                 std::int32_t badBytes, std::int32_t systemBytes, int files);
    const DiskInfo& Info() const { return m_info; }

    int exec() override;

private:
    void OnInitDialog();

    DiskInfo m_info;
    bool m_bInitialised = false;
};

}  // namespace orv

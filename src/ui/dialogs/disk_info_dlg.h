// The properties of the open diskette: its byte balance with three bars, the label, the
// format date and the number of files.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

namespace orv {

class CDiskInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDiskInfoDlg(QWidget* parent = nullptr);

    void SetInfo(const std::string& label, std::uint32_t stampTime, std::int32_t freeBytes,
                 std::int32_t badBytes, std::int32_t systemBytes, int files);

    int exec() override;

    // Bar positions 0..100: a hundredth of the diskette each; the used and bad bars show at
    // least 1 for more than 1000 bytes.
    static int FreeBar(std::int32_t freeBytes);
    static int MinimumBar(std::int32_t bytes);

    std::int32_t m_nUsedBytes = 0;
    std::int32_t m_nBadBytes = 0;
    std::int32_t m_nFreeBytes = 0;
    std::string m_strLabel;
    std::string m_strFiles;
    std::string m_strBad;
    std::string m_strSystem;
    std::string m_strUsed;
    std::string m_strFree;
    std::string m_strDate;

private:
    void OnInitDialog();
};

}  // namespace orv

// The About box: version, physical memory and the free space where the program was started.
#pragma once

#include <QDialog>
#include <string>

namespace orv {

// "%lu KB" of the physical memory.
std::string PhysicalMemoryText();
// "%lu KB na " and the file system of the folder; "Nedostupno" when it cannot be told.
std::string FreeSpaceText(const std::string& folder);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace orv

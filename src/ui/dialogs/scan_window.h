// The window of a scanned folder of images: a row for each image and, below it, a row for each
// of its files (state or health, bad positions), the files spread over several diskettes, and
// the .img files that are no image. A filter shows one status at a time; a double click puts
// the row's image into drive A: and brings the main window forward; Extract all... copies every
// file out as orvalis-cli's scan --extract does. The window opens centred over the main window
// and stays open beside it while the user works through the box; Escape closes it.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "ports/progress_port.h"
#include "ports/user_port.h"
#include "transfer/rescue/box_scan.h"

class QComboBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace orv {

class IFileChooser;

struct ScanWindowPorts {
    IUserPort* user = nullptr;
    IFileChooser* chooser = nullptr;
    IProgressRunner* progress = nullptr;
    // Puts an image into drive A: (the main window's rules and messages); true when it went in.
    std::function<bool(const std::string&)> putIntoDrive;
    // Whether copied files get their date and attributes back (the Diskette menu's option).
    std::function<bool()> restoreAttributes;
};

class CScanWindow : public QWidget {
    Q_OBJECT
public:
    enum Column {
        COL_NAME,
        COL_STATUS,
        COL_LABEL,
        COL_SIZE,
        COL_DATE,
        COL_NUMBER,
        COL_PART,
        COL_BAD,
        COL_COUNT
    };

    CScanWindow(ScanWindowPorts ports, QWidget* parent);

    // Shows the scan of folder in place of what was shown.
    void ShowScan(const std::string& folder, ScanOutcome scan);
    const std::string& Folder() const { return m_strFolder; }

    // Copies every file of the images out into a folder the user chooses, scanning afresh.
    void OnExtract();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillRows();
    void FillFilter();
    void ApplyFilter();
    void OnActivated(QTreeWidgetItem* item);
    QString Shown(const std::string& path) const;

    ScanWindowPorts m_ports;
    std::string m_strFolder;
    ScanOutcome m_scan;
    QLabel* m_pSummary = nullptr;
    QComboBox* m_pFilter = nullptr;
    QTreeWidget* m_pRows = nullptr;
    bool m_bPlaced = false;
};

}  // namespace orv

#include "ui/frame/drive_pane.h"

#include <filesystem>

namespace orv {

CDrivePane::CDrivePane(QWidget* parent) : QLabel(parent) {
    setObjectName("drivePane");
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setProperty("helpTopic", "images");
}

void CDrivePane::ShowPath(const std::string& path, const std::string& mapfile) {
    if (m_bShown && path == m_strPath && mapfile == m_strMapfile) return;
    m_bShown = true;
    m_strPath = path;
    m_strMapfile = mapfile;
    if (path.empty()) {
        setText("A: empty");
        setToolTip("Drive A: holds nothing");
        return;
    }
    // A device is known by its path; an image by its name, its folder matters less.
    const bool device = path.rfind("/dev/", 0) == 0;
    const std::string shown = device ? path : std::filesystem::path(path).filename().string();
    if (mapfile.empty()) {
        setText(QString::fromStdString("A: " + shown));
        setToolTip(QString::fromStdString(path));
        return;
    }
    setText(QString::fromStdString("A: " + shown + " (mapfile)"));
    setToolTip(QString::fromStdString(path + "\nOnly what the ddrescue mapfile " + mapfile +
                                      " gives as finished reads."));
}

}  // namespace orv

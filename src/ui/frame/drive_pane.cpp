#include "ui/frame/drive_pane.h"

#include <filesystem>

namespace orv {

CDrivePane::CDrivePane(QWidget* parent) : QLabel(parent) {
    setObjectName("drivePane");
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setProperty("helpTopic", "images");
}

void CDrivePane::ShowPath(const std::string& path, const std::string& mapfile,
                          const std::string& note) {
    if (m_bShown && path == m_strPath && mapfile == m_strMapfile && note == m_strNote) return;
    m_bShown = true;
    m_strPath = path;
    m_strMapfile = mapfile;
    m_strNote = note;
    if (path.empty()) {
        setText("A: empty");
        setToolTip("Drive A: holds nothing");
        return;
    }
    // A device is known by its path; an image by its name, its folder matters less.
    const bool device = path.rfind("/dev/", 0) == 0;
    const std::string shown = device ? path : std::filesystem::path(path).filename().string();
    std::string tip = path;
    if (!mapfile.empty())
        tip += "\nOnly what the ddrescue mapfile " + mapfile + " gives as finished reads.";
    // The note without its brackets: " (read-only)" says "read-only".
    if (note.size() > 3) tip += "\n" + note.substr(2, note.size() - 3);
    setText(QString::fromStdString("A: " + shown + (mapfile.empty() ? "" : " (mapfile)") + note));
    setToolTip(QString::fromStdString(tip));
}

}  // namespace orv

// The status-bar pane that says what sits in drive A:: an image by its file name, with its full
// path (and the ddrescue mapfile it is read by) in the tooltip, or a device by its path; one
// that never takes a write, or an image file that does not exist, carries a note saying so.
#pragma once

#include <QLabel>
#include <string>

namespace orv {

class CDrivePane : public QLabel {
    Q_OBJECT
public:
    explicit CDrivePane(QWidget* parent = nullptr);
    // Shows the path of what is in the drive (empty: nothing is), and the mapfile of an image
    // read by one, and the note after the name (" (read-only)").
    void ShowPath(const std::string& path, const std::string& mapfile = {},
                  const std::string& note = {});

private:
    std::string m_strPath;
    std::string m_strMapfile;
    std::string m_strNote;
    bool m_bShown = false;
};

}  // namespace orv

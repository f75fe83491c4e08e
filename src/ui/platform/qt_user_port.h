// The message boxes of the desktop program. Questions from a worker thread are shown on the
// user-interface thread while the worker waits for the answer.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "ports/user_port.h"

namespace orv {

class CDriveControl;
class IFileChooser;

// What the "Insert image..." button offers: another image file for drive A:.
constexpr const char* kInsertImageButton = "Insert image...";
// What the file dialogs for diskette images offer: ImageDisk files go into the drive and into
// the rescue commands as images do.
constexpr const char* kImageFilter =
    "Diskette images (*.img, *.imd)|*.img;*.imd;*.IMD|All Files (*.*)|*.*||";

class CQtUserPort : public IUserPort {
public:
    // Must be constructed on the user-interface thread.
    CQtUserPort(CDriveControl& drive, IFileChooser& chooser);
    ~CQtUserPort() override;

    Answer ShowMessage(const Message& message) override;
    // The prompt plus "Insert image...": the user may pick another image file, which goes into
    // drive A: and counts as OK.
    Answer AskInsertDiskette(const Message& message) override;

private:
    Answer OnGuiThread(const std::function<Answer()>& box);
    Answer AskInsertOnGui(const Message& message);

    CDriveControl& m_drive;
    IFileChooser& m_chooser;
    std::unique_ptr<QObject> m_pGuiContext;  // lives on the user-interface thread
};

// Chooses an image file and puts it into the drive; tells the user when it is refused.
// True when the drive holds the chosen image.
bool InsertImageFromChooser(CDriveControl& drive, IFileChooser& chooser, IUserPort& user);

}  // namespace orv

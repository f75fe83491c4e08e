// What the tests of the desktop program share: a scripted user and file chooser, a progress
// runner that runs the worker in place, a driver for modal windows, and a file list on a
// freshly formatted in-memory diskette.
#pragma once

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/host_file.h"
#include "ports/progress_port.h"
#include "support/memory_disk.h"
#include "support/scripted_user.h"
#include "support/temp_dir.h"
#include "transfer/document.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/platform/drive_control.h"
#include "ui/platform/recent_images.h"
#include "ui/view/orvalis_view.h"

namespace orv::tests {

// The scripted user, plus a hook that runs while a box is "open" (before its answer) and
// insert prompts that run an action (which may change the diskette) and answer OK.
class HookedUser final : public IUserPort {
public:
    ScriptedUser script;
    std::function<void(const Message&)> beforeAnswer;

    Answer ShowMessage(const Message& m) override {
        if (beforeAnswer) beforeAnswer(m);
        return script.ShowMessage(m);
    }
    Answer AskInsertDiskette(const Message& m) override;
    void PushInsert(std::function<void()> action);
    std::vector<std::string> Prompts() const;

private:
    mutable std::mutex m_mutex;
    std::deque<std::function<void()>> m_inserts;
    std::vector<std::string> m_prompts;
};

class ScriptedChooser final : public IFileChooser {
public:
    std::deque<std::vector<std::string>> replies;  // an empty reply is a cancelled dialog
    std::vector<FileDialogRequest> requests;

    std::vector<std::string> Choose(const FileDialogRequest& request) override {
        requests.push_back(request);
        if (replies.empty()) return {};
        std::vector<std::string> reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

// Runs the worker on the calling thread; nobody cancels.
class InlineProgress final : public IProgressRunner {
public:
    int runs = 0;
    int RunProgress(const ProgressSpec&,
                    const std::function<void(IProgressSink&)>& worker) override;
};

// Acts on the modal windows that appear, one handler per window, in order. A handler gets the
// active modal widget and returns false to wait for another.
class ModalDriver {
public:
    using Handler = std::function<bool(QWidget*)>;
    ModalDriver();
    ~ModalDriver();
    void Then(Handler handler);
    bool Done() const { return m_handlers.empty(); }

private:
    void Poll();
    std::deque<Handler> m_handlers;
    QPointer<QWidget> m_last;
    std::unique_ptr<QObject> m_timerOwner;
};

// Clicks the button of a message box whose text contains the given text; returns the box's
// text through seen when asked.
ModalDriver::Handler ClickButton(const QString& buttonText, QString* seen = nullptr);

// Waits (serving events) until pred holds or the time runs out; the result of pred.
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 10000);

// A blank image file with a quick format and the label.
void MakeFormattedImage(const std::string& path, const std::string& label);

// The file list on a formatted in-memory diskette, with the document's ports scripted.
class ViewTest : public ::testing::Test {
protected:
    void SetUp() override;

    void Open();
    // A host file of the size with deterministic content, added to the diskette.
    std::string HostFile(const std::string& name, std::size_t size, std::uint32_t seed = 1);
    void AddToDiskette(const std::string& name, std::size_t size);
    void Select(const std::vector<int>& rows);
    std::vector<std::string> Column(int column) const;
    std::vector<std::string> DocNames() const;

    MemoryDisk disk;
    HookedUser user;
    ScriptedChooser chooser;
    InlineProgress progress;
    TempDir temp;
    COrvalisDoc doc{disk.Drive(), DocPorts{&user, &progress, nullptr}};
    // The frame tests hand the view over to a main window.
    std::unique_ptr<COrvalisView> owner = std::make_unique<COrvalisView>(doc, user, chooser);
    COrvalisView& view = *owner;
};

// The window over drive A: as the program runs it: image files put in through the drive control,
// which keeps the recent images in a file of the test's own.
class ImageDriveViewTest : public ::testing::Test {
protected:
    TempDir temp;
    CDrive drive;
    HookedUser user;
    ScriptedChooser chooser;
    InlineProgress progress;
    COrvalisDoc doc{drive, DocPorts{&user, &progress, nullptr}};
    CRecentImages recent{temp.File("recent-images")};
    CDriveControl control{drive, &recent};
    COrvalisView view{doc, user, chooser, &control};
};

}  // namespace orv::tests

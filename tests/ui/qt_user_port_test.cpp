// The message boxes of the desktop program: caption, buttons, icon and default as asked,
// questions from a worker thread shown on the user-interface thread, and the insert prompt's
// "Insert image..." button that changes the image in drive A:.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <thread>

#include "disk/drive.h"
#include "ui/platform/drive_control.h"
#include "ui/platform/qt_user_port.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

struct BoxLook {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    bool onGuiThread = false;
};

ModalDriver::Handler Inspect(BoxLook& look, const QString& click) {
    return [&look, click](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return false;
        look.title = box->windowTitle();
        look.text = box->text();
        look.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) look.buttons << b->text().remove('&');
        look.buttons.sort();
        if (box->defaultButton()) look.defaultButton = box->defaultButton()->text().remove('&');
        look.onGuiThread =
            box->thread() == QThread::currentThread() && QThread::currentThread() == qApp->thread();
        return ClickButton(click)(w);
    };
}

class QtUserPortTest : public ::testing::Test {
protected:
    CDrive drive;
    CDriveControl control{drive};
    ScriptedChooser chooser;
    CQtUserPort port{control, chooser};
    ModalDriver driver;
    TempDir temp;
};

TEST_F(QtUserPortTest, AQuestionShowsAsAsked) {
    BoxLook look;
    driver.Then(Inspect(look, "Yes"));
    const Answer a = port.ShowMessage(
        Message{"File x\nis big", Buttons::YesNoCancel, Icon::Question, Answer::No});
    EXPECT_EQ(a, Answer::Yes);
    EXPECT_EQ(look.title, "Orvalis");
    EXPECT_EQ(look.text, "File x\nis big");
    EXPECT_EQ(look.icon, QMessageBox::Question);
    EXPECT_EQ(look.buttons, (QStringList{"Cancel", "No", "Yes"}));
    EXPECT_EQ(look.defaultButton, "No");
}

TEST_F(QtUserPortTest, IconsAndButtonsOfTheOtherForms) {
    BoxLook warning, stop, plain;
    driver.Then(Inspect(warning, "OK"));
    driver.Then(Inspect(stop, "OK"));
    driver.Then(Inspect(plain, "OK"));
    EXPECT_EQ(Notify(port, "careful"), Answer::Ok);
    EXPECT_EQ(Notify(port, "broken", Icon::Stop), Answer::Ok);
    EXPECT_EQ(Notify(port, "facts", Icon::None), Answer::Ok);
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.buttons, QStringList{"OK"});
    EXPECT_EQ(stop.icon, QMessageBox::Critical);
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
}

TEST_F(QtUserPortTest, AWorkerThreadsQuestionIsShownOnTheGuiThread) {
    BoxLook look;
    driver.Then(Inspect(look, "No"));
    std::atomic<bool> done{false};
    Answer answer = Answer::None;
    std::thread worker([&] {
        answer = Ask(port, "Diskette seems to be same\nMake sure the diskette was changed ?",
                     Buttons::YesNo);
        done = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(answer, Answer::No);
    EXPECT_TRUE(look.onGuiThread);
    EXPECT_EQ(look.defaultButton, "Yes");  // the first button when none is named
}

TEST_F(QtUserPortTest, InsertImagePutsTheChosenImageIntoTheDrive) {
    const std::string first = temp.File("first.img"), second = temp.File("second.img");
    MakeFormattedImage(first, "ONE");
    MakeFormattedImage(second, "TWO");
    std::string error;
    ASSERT_TRUE(drive.Insert(first, error));
    chooser.replies.push_back({second});
    BoxLook look;
    driver.Then(Inspect(look, "Insert image..."));
    const Answer a = port.AskInsertDiskette(
        Message{"Please, insert another diskette (mark as 1) and click on OK.", Buttons::OkCancel,
                Icon::Exclamation, Answer::None});
    EXPECT_EQ(a, Answer::Ok);
    EXPECT_EQ(drive.Path(), second);
    EXPECT_EQ(look.buttons, (QStringList{"Cancel", "Insert image...", "OK"}));
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].kind, FileDialogRequest::Kind::OpenOne);
}

TEST_F(QtUserPortTest, ARefusedImageIsReportedAndThePromptComesBack) {
    const std::string good = temp.File("good.img"), wrong = temp.File("wrong.img");
    MakeFormattedImage(good, "GOOD");
    WriteBytes(wrong, std::vector<std::uint8_t>(1000));  // not a diskette's size
    std::string error;
    ASSERT_TRUE(drive.Insert(good, error));
    chooser.replies.push_back({wrong});
    BoxLook prompt, refusal, again;
    driver.Then(Inspect(prompt, "Insert image..."));
    driver.Then(Inspect(refusal, "OK"));
    driver.Then(Inspect(again, "Cancel"));
    const Answer a = port.AskInsertDiskette(
        Message{"Insert diskette with file big.1\nand click OK", Buttons::OkCancel});
    EXPECT_EQ(a, Answer::Cancel);
    EXPECT_EQ(drive.Path(), good);  // the drive keeps its image
    EXPECT_EQ(refusal.icon, QMessageBox::Critical);
    EXPECT_FALSE(refusal.text.isEmpty());
    EXPECT_EQ(again.text, "Insert diskette with file big.1\nand click OK");
}

}  // namespace
}  // namespace orv::tests

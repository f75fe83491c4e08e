// The command line (the drive, the start file, the two switches that keep the splash window
// away) and the splash window itself.
#include <QKeyEvent>
#include <QMainWindow>
#include <QScreen>
#include <QTest>

#include "ui/app/command_line.h"
#include "ui/splash/splash_wnd.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

TEST(CommandLine, TheSwitchesMatchExactly) {
    EXPECT_FALSE(ParseCommandLine({"/Embedding"}).splash);
    EXPECT_FALSE(ParseCommandLine({"-Automation"}).splash);
    EXPECT_TRUE(ParseCommandLine({"/embedding"}).splash);
    EXPECT_TRUE(ParseCommandLine({"-automation"}).splash);
    EXPECT_TRUE(ParseCommandLine({}).splash);
    EXPECT_TRUE(ParseCommandLine({"/Embeddingx"}).splash);
}

TEST(CommandLine, DriveAndStartFile) {
    const CommandLine cl =
        ParseCommandLine({"--drive", "/tmp/a.img", "-Automation", "/tmp/notes.txt", "other"});
    EXPECT_EQ(cl.drivePath, "/tmp/a.img");
    EXPECT_EQ(cl.file, "/tmp/notes.txt");  // an absolute path is no switch
    EXPECT_FALSE(cl.splash);
    EXPECT_TRUE(cl.error.empty());
    EXPECT_FALSE(ParseCommandLine({"--drive"}).error.empty());
    EXPECT_EQ(ParseCommandLine({"--drive=/dev/fd0"}).drivePath, "/dev/fd0");
    // The menu entry's "--open=%f": a file manager's image is opened; without one, a plain start.
    EXPECT_EQ(ParseCommandLine({"--open=/tmp/b.img"}).openPath, "/tmp/b.img");
    const CommandLine plain = ParseCommandLine({"--open="});
    EXPECT_TRUE(plain.openPath.empty() && plain.error.empty() && plain.file.empty());
    EXPECT_TRUE(ParseCommandLine({"--help"}).help);
    EXPECT_TRUE(ParseCommandLine({"--version"}).version);
}

TEST(CommandLine, TheStoredNameKeepsTheFolder) {
    TempDir temp;
    const std::string path = temp.File("Report.TXT");
    WriteText(path, "x");
    EXPECT_EQ(StoredFilePath(path), path);
    EXPECT_EQ(StoredFilePath(temp.File("missing.txt")), temp.File("missing.txt"));
}

class SplashTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (CSplashWnd* s = CSplashWnd::Current()) s->HideSplashScreen();
        CSplashWnd::EnableSplashScreen(false);
        WaitUntil([] { return CSplashWnd::Current() == nullptr; }, 1000);
    }
    QMainWindow main;
};

TEST_F(SplashTest, SuppressedBySlashEmbeddingButNotByLowerCase) {
    CSplashWnd::EnableSplashScreen(ParseCommandLine({"/Embedding"}).splash);
    CSplashWnd::ShowSplashScreen(&main);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);

    CSplashWnd::EnableSplashScreen(ParseCommandLine({"/embedding"}).splash);
    CSplashWnd::ShowSplashScreen(&main);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(CSplashWnd::Current()->size(), QSize(350, 262));
    CSplashWnd* first = CSplashWnd::Current();
    CSplashWnd::ShowSplashScreen(&main);  // never two at a time
    EXPECT_EQ(CSplashWnd::Current(), first);
}

// The window manager places the main window only after the splash shows: the splash stands in
// the middle of the main window's screen, wherever the window stands before it is placed.
TEST_F(SplashTest, ShowsInTheMiddleOfTheMainWindowsScreen) {
    const QRect free = main.screen()->availableGeometry();
    main.setGeometry(free.left(), free.top(), 200, 150);
    main.show();
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(&main);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    const QPoint off = CSplashWnd::Current()->geometry().center() - free.center();
    EXPECT_LE(off.manhattanLength(), 2) << off.x() << "," << off.y();
}

TEST_F(SplashTest, AKeyPressClosesItAndAReleaseDoesNot) {
    main.show();
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(&main);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    QTest::keyRelease(&main, Qt::Key_A);
    QTest::mouseMove(&main, QPoint(10, 10));
    EXPECT_NE(CSplashWnd::Current(), nullptr);
    QTest::keyPress(&main, Qt::Key_A);
    EXPECT_TRUE(WaitUntil([] { return CSplashWnd::Current() == nullptr; }, 1000));
}

TEST_F(SplashTest, AMouseClickClosesIt) {
    main.show();
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(&main);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    QTest::mouseClick(&main, Qt::RightButton);
    EXPECT_TRUE(WaitUntil([] { return CSplashWnd::Current() == nullptr; }, 1000));
}

TEST_F(SplashTest, ItGoesAfterThreeSeconds) {
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(&main);
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    QTest::qWait(2500);
    EXPECT_NE(CSplashWnd::Current(), nullptr);
    EXPECT_TRUE(WaitUntil([] { return CSplashWnd::Current() == nullptr; }, 1500));
}

}  // namespace
}  // namespace orv::tests

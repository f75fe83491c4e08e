// The main window's status bar prompts and its help: F1, help mode and a topic for every
// command.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "ui/frame/command_ids.h"
#include "ui/frame/command_table.h"
#include "ui/frame/help_controller.h"
#include "ui/frame/main_frame.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

TEST(HelpText, EveryCommandHasATopic) {
    QFile file(":/help/orvalis.html");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    std::vector<int> ids(ToolbarCommands().begin(), ToolbarCommands().end());
    for (const MenuSpec& menu : MenuBarSpec())
        for (const MenuItemSpec& item : menu.items)
            if (item.id != 0) ids.push_back(item.id);
    for (int id : ids) EXPECT_TRUE(html.contains("name=\"" + CommandTopic(id) + "\"")) << id;
    for (const char* topic : {"topics", "main", "list", "progress", "startfrom", "badsectors",
                              "diskinfo", "about", "properties", "messages"})
        EXPECT_TRUE(html.contains(QString("name=\"%1\"").arg(topic))) << topic;
}

class FrameTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ASSERT_TRUE(frame.Create(owner.release()));
        frame.show();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    }
    QToolButton* Button(int id) {
        for (QAction* a : frame.ToolBar()->actions())
            if (a->data().toInt() == id)
                return qobject_cast<QToolButton*>(frame.ToolBar()->widgetForAction(a));
        return nullptr;
    }
    CMainFrame frame;
};

TEST_F(FrameTest, PromptsShowWhileHighlightedAndTheIdleTextAfterAMenu) {
    frame.SetStatusText("1097 KB free on diskette");
    QStatusTipEvent tip("Display files which are on diskette.");
    QCoreApplication::sendEvent(&frame, &tip);
    EXPECT_EQ(frame.StatusText(), "Display files which are on diskette.");
    QMenu* diskette = frame.menuBar()->actions().front()->menu();
    diskette->popup(frame.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(WaitUntil([&] { return diskette->isVisible(); }));
    diskette->close();
    EXPECT_EQ(frame.StatusText(), "For help press F1");
    // The toolbar's Open button carries its tooltip and prompt.
    QToolButton* open = Button(ID_DISKETTE_OPEN);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->defaultAction()->toolTip(), "Open");
    EXPECT_EQ(open->defaultAction()->statusTip(), "Display files which are on diskette.");
}

TEST_F(FrameTest, ToolbarAndStatusBarCanBeHidden) {
    QAction* toolbar = frame.Actions(ID_VIEW_TOOLBAR).front();
    EXPECT_TRUE(toolbar->isChecked());
    toolbar->trigger();
    EXPECT_TRUE(frame.ToolBar()->isHidden());
    EXPECT_FALSE(toolbar->isChecked());
    toolbar->trigger();
    EXPECT_FALSE(frame.ToolBar()->isHidden());
}

TEST_F(FrameTest, F1OpensTheTopicOfTheMainWindow) {
    QTest::keyClick(&view, Qt::Key_F1);
    EXPECT_EQ(frame.Help()->LastTopic(), "main");
    frame.OnCommand(ID_HELP_FINDER);
    EXPECT_EQ(frame.Help()->LastTopic(), "topics");
}

TEST_F(FrameTest, InHelpModeAButtonShowsItsTopicInsteadOfActing) {
    QTest::keyClick(&view, Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(frame.Help()->InHelpMode());
    EXPECT_TRUE(frame.Actions(ID_CONTEXT_HELP).front()->isChecked());
    QTest::mouseClick(Button(ID_DISKETTE_OPEN), Qt::LeftButton);
    EXPECT_FALSE(frame.Help()->InHelpMode());
    EXPECT_EQ(frame.Help()->LastTopic(), QString("cmd-%1").arg(int(ID_DISKETTE_OPEN)));
    EXPECT_FALSE(view.IsOpen());  // the command did not run

    frame.OnCommand(ID_CONTEXT_HELP);  // the toolbar's help button
    ASSERT_TRUE(frame.Help()->InHelpMode());
    QTest::mouseClick(view.viewport(), Qt::LeftButton);
    EXPECT_EQ(frame.Help()->LastTopic(), "list");
    EXPECT_FALSE(frame.Help()->InHelpMode());
}

}  // namespace
}  // namespace orv::tests

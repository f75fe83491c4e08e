// The main window's status bar prompts and its help: the pages and their links, the help
// window's list of topics, F1, and the what's-this mode of Shift+F1 and the help button.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>

#include "ui/commands/command_ids.h"
#include "ui/commands/command_set.h"
#include "ui/dialogs/format_dlg.h"
#include "ui/dialogs/scan_window.h"
#include "ui/frame/help_controller.h"
#include "ui/frame/help_topics.h"
#include "ui/frame/help_window.h"
#include "ui/frame/main_frame.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

QString ReadPage(const QString& folder, const QString& page) {
    QFile file(QDir(folder).filePath(page));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

bool HasAnchor(const QString& html, const QString& anchor) {
    return html.contains("name=\"" + anchor + "\"");
}

TEST(HelpPages, EveryCommandWindowAndLinkLeadsToAWrittenTopic) {
    std::vector<int> ids;
    for (const CommandSpec& command : CommandTable()) ids.push_back(command.id);
    std::vector<QString> topics = KnownTopics();
    for (int id : ids) {
        const QString topic = CommandTopic(id);
        EXPECT_NE(LocateTopic(topic).anchor, "") << "command " << id << " has no topic";
        topics.push_back(topic);
    }
    for (const QString& topic : topics) {
        const HelpLocation where = LocateTopic(topic);
        const QString html = ReadPage(":/help", where.page);
        ASSERT_FALSE(html.isEmpty()) << where.page.toStdString();
        EXPECT_TRUE(HasAnchor(html, where.anchor)) << topic.toStdString();
    }
    // Every link between the pages arrives somewhere.
    const QRegularExpression link("href=\"([a-z_]+\\.(?:html|css))(?:#([a-z0-9-]+))?\"");
    for (const HelpPage& page : HelpPages()) {
        const QString html = ReadPage(":/help", page.file);
        ASSERT_FALSE(html.isEmpty()) << page.file;
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString target = ReadPage(":/help", m.captured(1));
            EXPECT_FALSE(target.isEmpty()) << page.file << " -> " << m.captured(1).toStdString();
            if (!m.captured(2).isEmpty()) {
                EXPECT_TRUE(HasAnchor(target, m.captured(2)))
                    << page.file << " -> " << m.captured(0).toStdString();
            }
        }
    }
}

TEST(HelpPages, TheCopyBesideTheProgramIsTheOneShown) {
    const QString folder = HelpFolder();
    ASSERT_FALSE(folder.startsWith(':')) << "the pages were not laid out beside the program";
    for (const HelpPage& page : HelpPages())
        EXPECT_EQ(ReadPage(folder, page.file), ReadPage(":/help", page.file)) << page.file;
    EXPECT_EQ(TopicUrl("format").toLocalFile(), QDir(folder).filePath("format.html"));
    EXPECT_EQ(TopicUrl("format").fragment(), "format");
    EXPECT_EQ(LocateTopic("no such topic").page, "index.html");
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
    void TearDown() override {
        if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
    }
    QToolButton* Button(int id) {
        for (QAction* a : frame.ToolBar()->actions())
            if (a->data().toInt() == id)
                return qobject_cast<QToolButton*>(frame.ToolBar()->widgetForAction(a));
        return nullptr;
    }
    bool TopicShown(const QString& topic) {
        return WaitUntil([&] { return Help().LastTopic() == topic; }, 3000);
    }
    CHelpController& Help() { return *frame.Help(); }
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
    QAction* toolbar = frame.Action(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(toolbar->isChecked());
    toolbar->trigger();
    EXPECT_TRUE(frame.ToolBar()->isHidden());
    EXPECT_FALSE(toolbar->isChecked());
    toolbar->trigger();
    EXPECT_FALSE(frame.ToolBar()->isHidden());
}

TEST_F(FrameTest, HelpTopicsListsThePagesAndFollowsTheChoice) {
    frame.Commands().Run(ID_HELP_FINDER);
    EXPECT_EQ(Help().LastTopic(), "topics");
    CHelpWindow* window = Help().Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    QListWidget* list = window->TopicList();
    ASSERT_EQ(list->count(), int(HelpPages().size()));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(window->CurrentPage(), "index.html");
    list->setCurrentRow(7);
    EXPECT_EQ(window->CurrentPage(), HelpPages()[7].file);
    EXPECT_TRUE(window->Browser()->toPlainText().contains("step by step"));
    // A link on a page moves the list along.
    window->Browser()->setSource(PageUrl("format.html"));
    EXPECT_EQ(list->currentItem()->text(), "Formatting a diskette");
}

TEST_F(FrameTest, F1OpensTheTopicOfTheMainWindowOrOfTheOpenDialog) {
    QTest::keyClick(&view, Qt::Key_F1);
    EXPECT_EQ(Help().LastTopic(), "main");
    // A window of its own beside the main one, as a scan's, has its own topic.
    auto* scan = new CScanWindow(ScanWindowPorts{}, &frame);
    scan->show();
    scan->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == scan; }));
    QTest::keyClick(scan, Qt::Key_F1);
    EXPECT_EQ(Help().LastTopic(), "scanwindow");
    scan->close();

    CFormatDlg dlg(disk.Drive(), user, &frame);
    ModalDriver driver;
    bool helpTookInput = false;
    driver.Then([&](QWidget* w) {
        if (w != &dlg) return false;
        QTest::keyClick(w, Qt::Key_F1);
        // The help window belongs to the dialog while it is open, so it is not blocked.
        helpTookInput = Help().Window() && Help().Window()->parentWidget() == &dlg;
        dlg.reject();
        return true;
    });
    dlg.exec();
    EXPECT_EQ(Help().LastTopic(), "format");
    EXPECT_TRUE(helpTookInput);
    // Closing the dialog hands the help window back to the main window; it stays open.
    EXPECT_EQ(Help().Window()->parentWidget(), &frame);
    EXPECT_TRUE(Help().Window()->isVisible());
}

TEST_F(FrameTest, InHelpModeAButtonShowsItsTopicInsteadOfActing) {
    QTest::keyClick(&view, Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(Help().InHelpMode());
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    EXPECT_TRUE(frame.Action(ID_CONTEXT_HELP)->isChecked());
    QTest::mouseClick(Button(ID_DISKETTE_OPEN), Qt::LeftButton);
    EXPECT_TRUE(TopicShown(QString("cmd-%1").arg(int(ID_DISKETTE_OPEN))));
    EXPECT_FALSE(Help().InHelpMode());
    EXPECT_FALSE(frame.Action(ID_CONTEXT_HELP)->isChecked());
    EXPECT_FALSE(view.IsOpen());  // the command did not run

    frame.Commands().Run(ID_CONTEXT_HELP);  // the toolbar's help button
    ASSERT_TRUE(Help().InHelpMode());
    QTest::mouseClick(view.viewport(), Qt::LeftButton);
    EXPECT_TRUE(TopicShown("list"));
    EXPECT_FALSE(Help().InHelpMode());

    // Escape leaves the mode without a topic.
    frame.Commands().Run(ID_CONTEXT_HELP);
    ASSERT_TRUE(Help().InHelpMode());
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(Help().InHelpMode());
    EXPECT_FALSE(frame.Action(ID_CONTEXT_HELP)->isChecked());
}

TEST_F(FrameTest, InHelpModeAMenuItemShowsItsTopicInsteadOfRunning) {
    QMenu* tools = nullptr;
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == "&Tools") tools = a->menu();
    ASSERT_NE(tools, nullptr);
    QAction* format = nullptr;
    for (QAction* a : tools->actions())
        if (a->data().toInt() == ID_FORMAT) format = a;
    ASSERT_NE(format, nullptr);

    frame.Commands().Run(ID_CONTEXT_HELP);
    tools->popup(frame.mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(WaitUntil([&] { return tools->isVisible(); }));
    bool formatOpened = false;
    ModalDriver driver;
    driver.Then([&](QWidget* w) {
        formatOpened = qobject_cast<CFormatDlg*>(w) != nullptr;
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        return true;
    });
    QTest::mouseClick(tools, Qt::LeftButton, {}, tools->actionGeometry(format).center());
    EXPECT_TRUE(TopicShown(QString("cmd-%1").arg(int(ID_FORMAT))));
    EXPECT_FALSE(tools->isVisible());
    EXPECT_FALSE(formatOpened);
    EXPECT_FALSE(Help().InHelpMode());
}

}  // namespace
}  // namespace orv::tests

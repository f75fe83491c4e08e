// The window's commands: one action each, shown by the menu bar, the toolbar and the keys, and
// enabled as the four states of the list allow.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <set>

#include "ui/commands/command_ids.h"
#include "ui/commands/command_set.h"
#include "ui/frame/main_frame.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

struct State {
    bool open;
    int selected;
};
const State kClosed{false, 0};
const State kOpenNone{true, 0};
const State kOpenOne{true, 1};
const State kOpenMany{true, 2};

// When each command may run, as the user meets it in the four states.
struct Rule {
    int id;
    bool closed, openNone, openOne, openMany;
};

const Rule kRules[] = {
    {ID_DISKETTE_OPEN, true, false, false, false},
    {ID_INSERT_IMAGE, true, false, false, false},
    {ID_NEW_IMAGE, true, false, false, false},
    {ID_RECENT_IMAGES, true, false, false, false},
    {ID_DRIVE_MENU, true, false, false, false},
    {ID_EDIT_PASTE, false, true, true, true},
    {ID_EDIT_COPY, false, false, true, true},
    {ID_DISKETTE_CLOSE, false, true, true, true},
    {ID_DISKETTE_REFRESH, false, true, true, true},
    {ID_FILE_ADD, false, true, true, true},
    {ID_FILE_ADD_FROM, false, true, true, true},
    {ID_DISKETTE_INFO, false, true, true, true},
    {ID_FILE_COPY, false, false, true, true},
    {ID_FILE_DELETE, false, false, true, true},
    {ID_FILE_COPY_AT, false, false, true, true},
    {ID_VERIFICATION, true, true, true, true},
    {ID_RESTORE_ATTRIBUTES, true, true, true, true},
    {ID_FORMAT, true, true, true, true},
    {ID_DISK_SERVICE, true, true, true, true},
    {ID_CREATE_REPAIR_FILE, true, true, true, true},
    {ID_REPAIR_FILE, true, true, true, true},
    {ID_APP_EXIT, true, true, true, true},
    {ID_APP_ABOUT, true, true, true, true},
    {ID_VIEW_TOOLBAR, true, true, true, true},
};

class FrameRulesTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        list = &view;
        ASSERT_TRUE(frame.Create(owner.release()));
        frame.show();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));  // the Del key needs it
    }

    // The one action of every command (menu item, toolbar button, keys) agrees with the rule.
    void ExpectActions(const State& state, bool(Rule::*column)) {
        frame.UpdateCommandUI();
        for (const Rule& r : kRules) {
            QAction* action = frame.Action(r.id);
            ASSERT_NE(action, nullptr) << r.id;
            EXPECT_EQ(action->isEnabled(), r.*column)
                << r.id << " " << action->text().toStdString();
            EXPECT_EQ(frame.Commands().IsEnabled(r.id), r.*column) << r.id;
        }
        EXPECT_EQ(frame.Commands().State().open, state.open);
        EXPECT_EQ(frame.Commands().State().selected, state.selected);
    }
    void SelectRows(std::initializer_list<int> rows) { list->SelectRows(rows); }

    CMainFrame frame;
    COrvalisView* list = nullptr;
};

TEST_F(FrameRulesTest, EveryCommandHasOneActionThatEveryPlaceShows) {
    std::set<QAction*> distinct;
    for (const CommandSpec& spec : CommandTable()) {
        QAction* action = frame.Action(spec.id);
        ASSERT_NE(action, nullptr) << spec.id;
        EXPECT_EQ(action->data().toInt(), spec.id);
        EXPECT_EQ(action->text().toStdString(), spec.text) << spec.id;
        EXPECT_EQ(action->statusTip().toStdString(), spec.prompt) << spec.id;
        EXPECT_TRUE(distinct.insert(action).second) << spec.id << " shares an action";
    }
    // The menus and the toolbar hold the very actions of their commands, in the layout's order.
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), qsizetype(MenuBarLayout().size()));
    for (std::size_t m = 0; m < MenuBarLayout().size(); ++m) {
        const QList<QAction*> items = menus[qsizetype(m)]->menu()->actions();
        const std::vector<int>& ids = MenuBarLayout()[m].commands;
        ASSERT_EQ(items.size(), qsizetype(ids.size())) << MenuBarLayout()[m].title;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] == 0)
                EXPECT_TRUE(items[qsizetype(i)]->isSeparator());
            else
                EXPECT_EQ(items[qsizetype(i)], frame.Action(ids[i])) << ids[i];
        }
    }
    const QList<QAction*> buttons = frame.ToolBar()->actions();
    ASSERT_EQ(buttons.size(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(buttons[i], frame.Action(ToolbarCommands()[std::size_t(i)]));
        EXPECT_FALSE(buttons[i]->toolTip().isEmpty());
        EXPECT_FALSE(buttons[i]->icon().isNull());
    }
}

TEST_F(FrameRulesTest, MenuToolbarAndDelKeyFollowTheRulesInEveryState) {
    ExpectActions(kClosed, &Rule::closed);
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_OPEN));
    ExpectActions(kOpenNone, &Rule::openNone);
    ASSERT_EQ(doc.AddFile(HostFile("a.txt", 100), 0), 0);
    ASSERT_EQ(doc.AddFile(HostFile("b.txt", 200), 0), 0);
    ASSERT_EQ(doc.AddFile(HostFile("c.txt", 300), 0), 0);
    list->RebuildList();
    SelectRows({1});
    ExpectActions(kOpenOne, &Rule::openOne);
    SelectRows({0, 2});
    ExpectActions(kOpenMany, &Rule::openMany);

    // The Del key deletes the selection after the question...
    user.script.Push(Answer::Yes);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->RowCount(), 1);
    // ...and does nothing once nothing is selected.
    list->clearSelection();
    const auto shown = user.script.Shown().size();
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(user.script.Shown().size(), shown);
    EXPECT_EQ(list->RowCount(), 1);
}

TEST_F(FrameRulesTest, ADisabledCommandNeverRuns) {
    EXPECT_FALSE(frame.Commands().Run(ID_FILE_ADD));     // nothing open
    EXPECT_FALSE(frame.Commands().Run(ID_FILE_DELETE));  // nothing open
    EXPECT_TRUE(chooser.requests.empty());
    EXPECT_TRUE(user.script.Shown().empty());
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_OPEN));
    EXPECT_FALSE(frame.Commands().Run(ID_DISKETTE_OPEN));  // already open
    EXPECT_FALSE(frame.Commands().Run(ID_FILE_COPY));      // nothing selected
}

TEST_F(FrameRulesTest, TheOptionsToggleTheirMarkAndTheDocument) {
    QAction* verify = frame.Action(ID_VERIFICATION);
    QAction* restore = frame.Action(ID_RESTORE_ATTRIBUTES);
    EXPECT_FALSE(verify->isChecked());
    EXPECT_TRUE(restore->isChecked());
    verify->trigger();
    EXPECT_TRUE(verify->isChecked());
    EXPECT_TRUE(doc.m_bVerification);
    restore->trigger();
    EXPECT_FALSE(restore->isChecked());
    EXPECT_FALSE(doc.m_bRestoreAttributes);
}

TEST_F(FrameRulesTest, TitleAndStatusFollowOpenAndClose) {
    EXPECT_EQ(frame.windowTitle(), "[no disk] - Orvalis");
    EXPECT_EQ(frame.StatusText(), "For help press F1");
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_OPEN));
    EXPECT_EQ(frame.windowTitle(), "Orvalis - WORK");
    EXPECT_TRUE(frame.StatusText().endsWith(" KB free on diskette"));
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_CLOSE));
    EXPECT_EQ(frame.windowTitle(), "[no disk] - Orvalis");
    EXPECT_EQ(list->RowCount(), 0);
}

TEST_F(FrameRulesTest, OpenOnAnEmptyDriveKeepsTheReadingText) {
    disk.Drive().Eject();
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_OPEN));
    const auto m = user.script.Find(
        "Diskette is not in drive, or this diskette is damaged.\nYou can use Disk service, or "
        "Format. (from Orvalis)");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->icon, Icon::Stop);
    EXPECT_FALSE(list->IsOpen());
    EXPECT_EQ(frame.StatusText(), "Reading diskette, please wait...");
}

}  // namespace
}  // namespace orv::tests

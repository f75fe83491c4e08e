// When commands may run: the rule table in the four states, and the same rules on the menu
// bar, the toolbar and the Del key of the real main window.
#include <QAction>
#include <QTest>

#include "ui/frame/command_ids.h"
#include "ui/frame/main_frame.h"
#include "ui/view/enable_rules.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

const ViewState kClosed{false, 0};
const ViewState kOpenNone{true, 0};
const ViewState kOpenOne{true, 1};
const ViewState kOpenMany{true, 2};

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
};

TEST(EnableRules, EveryCommandInTheFourStates) {
    for (const Rule& r : kRules) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(CommandEnabled(r.id, kClosed), r.closed);
        EXPECT_EQ(CommandEnabled(r.id, kOpenNone), r.openNone);
        EXPECT_EQ(CommandEnabled(r.id, kOpenOne), r.openOne);
        EXPECT_EQ(CommandEnabled(r.id, kOpenMany), r.openMany);
    }
    EXPECT_FALSE(CommandEnabled(ID_APP_ABOUT, kClosed).has_value());
}

TEST(EnableRules, CheckMarksFollowTheOptions) {
    ViewState s;
    EXPECT_EQ(CommandChecked(ID_VERIFICATION, s), false);
    EXPECT_EQ(CommandChecked(ID_RESTORE_ATTRIBUTES, s), true);
    s.verify = true;
    s.restore = false;
    EXPECT_EQ(CommandChecked(ID_VERIFICATION, s), true);
    EXPECT_EQ(CommandChecked(ID_RESTORE_ATTRIBUTES, s), false);
    EXPECT_FALSE(CommandChecked(ID_DISKETTE_OPEN, s).has_value());
}

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

    // Every action of the command (menu item, toolbar button, Del key) agrees with the rule.
    void ExpectActions(const ViewState& state, bool(Rule::*column)) {
        for (const Rule& r : kRules) {
            if (!list->HandlesCommand(r.id)) continue;
            const std::vector<QAction*> actions = frame.Actions(r.id);
            ASSERT_FALSE(actions.empty()) << r.id;
            for (QAction* a : actions)
                EXPECT_EQ(a->isEnabled(), r.*column) << r.id << " " << a->text().toStdString();
            EXPECT_EQ(list->IsCommandEnabled(r.id), r.*column) << r.id;
        }
        EXPECT_EQ(list->State().open, state.open);
        EXPECT_EQ(list->State().selected, state.selected);
    }
    void SelectRows(std::initializer_list<int> rows) {
        list->clearSelection();
        for (int row : rows) list->topLevelItem(row)->setSelected(true);
    }

    CMainFrame frame;
    COrvalisView* list = nullptr;
};

TEST_F(FrameRulesTest, MenuToolbarAndDelKeyFollowTheRulesInEveryState) {
    ExpectActions(kClosed, &Rule::closed);
    ASSERT_TRUE(frame.OnCommand(ID_DISKETTE_OPEN));
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
    EXPECT_FALSE(frame.OnCommand(ID_FILE_ADD));     // nothing open
    EXPECT_FALSE(frame.OnCommand(ID_FILE_DELETE));  // nothing open
    EXPECT_TRUE(chooser.requests.empty());
    EXPECT_TRUE(user.script.Shown().empty());
    ASSERT_TRUE(frame.OnCommand(ID_DISKETTE_OPEN));
    EXPECT_FALSE(frame.OnCommand(ID_DISKETTE_OPEN));  // already open
    EXPECT_FALSE(frame.OnCommand(ID_FILE_COPY));      // nothing selected
}

TEST_F(FrameRulesTest, TheOptionsToggleTheirMarkAndTheDocument) {
    QAction* verify = frame.Actions(ID_VERIFICATION).front();
    QAction* restore = frame.Actions(ID_RESTORE_ATTRIBUTES).front();
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
    ASSERT_TRUE(frame.OnCommand(ID_DISKETTE_OPEN));
    EXPECT_EQ(frame.windowTitle(), "Orvalis - WORK");
    EXPECT_TRUE(frame.StatusText().endsWith(" KB free on diskette"));
    ASSERT_TRUE(frame.OnCommand(ID_DISKETTE_CLOSE));
    EXPECT_EQ(frame.windowTitle(), "[no disk] - Orvalis");
    EXPECT_EQ(list->RowCount(), 0);
}

// Nothing was read: the status bar does not keep saying that the diskette is being read.
TEST_F(FrameRulesTest, OpenOnAnEmptyDriveEndsWithTheIdleText) {
    disk.Drive().Eject();
    ASSERT_TRUE(frame.OnCommand(ID_DISKETTE_OPEN));
    const auto m = user.script.Find(
        "Diskette is not in drive, or this diskette is damaged.\nYou can use Disk service, or "
        "Format. (from Orvalis)");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->icon, Icon::Stop);
    EXPECT_FALSE(list->IsOpen());
    EXPECT_EQ(frame.StatusText(), "For help press F1");
}

}  // namespace
}  // namespace orv::tests

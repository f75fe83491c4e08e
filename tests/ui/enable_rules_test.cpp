// The window's commands: one action each, shown by the menu bar, the toolbar and the keys, and
// enabled as the four states of the list allow.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <map>
#include <set>

#include "ui/commands/command_ids.h"
#include "ui/commands/command_set.h"
#include "ui/frame/main_frame.h"
#include "ui/list/file_sort_proxy.h"
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
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = frame.Action(info.id);
        ASSERT_NE(action, nullptr) << info.id;
        EXPECT_EQ(action->data().toInt(), info.id);
        EXPECT_EQ(action->text().toStdString(), info.text) << info.id;
        EXPECT_EQ(action->statusTip().toStdString(), info.prompt) << info.id;
        EXPECT_TRUE(distinct.insert(action).second) << info.id << " shares an action";
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

// Nothing was read: the status bar does not keep saying that the diskette is being read.
TEST_F(FrameRulesTest, OpenOnAnEmptyDriveEndsWithTheIdleText) {
    disk.Drive().Eject();
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_OPEN));
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

namespace orv::tests {
namespace {

// The access key of a menu text: the letter after a single '&', lower case; 0 when none.
QChar AccessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return QChar();
}

TEST_F(FrameRulesTest, StandardKeysAreTheCommandsOwnAndMenusShowThem) {
    const struct {
        int id;
        QKeySequence::StandardKey key;
    } standard[] = {
        {ID_APP_EXIT, QKeySequence::Quit},        {ID_DISKETTE_OPEN, QKeySequence::Open},
        {ID_DISKETTE_CLOSE, QKeySequence::Close}, {ID_DISKETTE_REFRESH, QKeySequence::Refresh},
        {ID_EDIT_COPY, QKeySequence::Copy},       {ID_EDIT_PASTE, QKeySequence::Paste},
    };
    std::set<QAction*> inMenus;
    for (QAction* menu : frame.menuBar()->actions())
        for (QAction* item : menu->menu()->actions()) inMenus.insert(item);
    for (const auto& s : standard) {
        QAction* action = frame.Action(s.id);
        ASSERT_NE(action, nullptr);
        EXPECT_FALSE(action->shortcut().isEmpty()) << s.id;
        if (!QKeySequence::keyBindings(s.key).isEmpty()) {
            EXPECT_EQ(action->shortcuts(), QKeySequence::keyBindings(s.key)) << s.id;
        }
        EXPECT_TRUE(inMenus.count(action)) << s.id << " is in no menu";
    }
    // No key runs two commands, and no menu has two items under one access key.
    std::map<QString, int> keys;
    for (const CommandInfo& info : CommandTable())
        for (const QKeySequence& key : frame.Action(info.id)->shortcuts())
            EXPECT_TRUE(keys.emplace(key.toString(), info.id).second)
                << key.toString().toStdString() << " runs " << keys[key.toString()] << " and "
                << info.id;
    std::set<QChar> titles;
    for (QAction* menu : frame.menuBar()->actions()) {
        EXPECT_TRUE(titles.insert(AccessKey(menu->text())).second) << menu->text().toStdString();
        std::set<QChar> letters;
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator()) continue;
            const QChar key = AccessKey(item->text());
            EXPECT_FALSE(key.isNull()) << item->text().toStdString() << " has no access key";
            EXPECT_TRUE(letters.insert(key).second) << item->text().toStdString();
        }
    }
}

TEST_F(FrameRulesTest, KeysOpenReadAgainAndCloseAndTheKeyboardOpensTheContextMenu) {
    list->setFocus();
    QTest::keySequence(&frame, QKeySequence::Open);
    ASSERT_TRUE(list->IsOpen());
    EXPECT_EQ(list->RowCount(), 0);
    // Written behind the list's back: F5 reads the diskette again.
    ASSERT_EQ(doc.AddFile(HostFile("later.txt", 100), 0), 0);
    EXPECT_EQ(list->RowCount(), 0);
    QTest::keySequence(&frame, QKeySequence::Refresh);
    ASSERT_TRUE(list->IsOpen());
    ASSERT_EQ(list->RowCount(), 1);
    EXPECT_EQ(list->RowText(0, 0), "later.txt");

    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        SelectRows({0});
        std::vector<int> shown;
        QTimer::singleShot(100, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions()) shown.push_back(a->data().toInt());
                menu->close();
            }
        });
        QTest::keyClick(list, key, modifiers);
        EXPECT_EQ(shown, (std::vector<int>{ID_DISKETTE_CLOSE, 0, ID_FILE_COPY, ID_FILE_DELETE, 0,
                                           ID_PROPERTIES_ONE}))
            << key;
    }
    QTest::keySequence(&frame, QKeySequence::Close);
    EXPECT_FALSE(list->IsOpen());
    EXPECT_EQ(list->RowCount(), 0);
}

}  // namespace
}  // namespace orv::tests

namespace orv::tests {
namespace {

TEST_F(FrameRulesTest, TheWindowComesBackAsItWasLeftAndTheOptionsStartAsAlways) {
    ResetSortDirections();
    const std::string file = temp.File("window.conf");
    frame.UseSettingsFile(file);  // none yet: the window stays as it is
    frame.resize(640, 430);
    frame.Action(ID_VIEW_TOOLBAR)->trigger();
    frame.Action(ID_VIEW_STATUS_BAR)->trigger();
    frame.Action(ID_VERIFICATION)->trigger();
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_OPEN));
    for (const char* name : {"b.txt", "c.txt", "a.txt"})
        ASSERT_EQ(doc.AddFile(HostFile(name, 10), 0), 0);
    list->RebuildList();
    list->header()->resizeSection(COL_DATE, 210);  // as the user drags it
    list->SortByColumn(COL_NAME);                  // the greatest name on top
    frame.close();                                 // the window is saved as it closes
    {
        const QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
        EXPECT_TRUE(settings.contains("window/geometry"));
        for (const QString& key : settings.allKeys()) {
            EXPECT_FALSE(key.contains("verif", Qt::CaseInsensitive)) << key.toStdString();
            EXPECT_FALSE(key.contains("restore", Qt::CaseInsensitive)) << key.toStdString();
        }
    }
    ASSERT_TRUE(frame.Commands().Run(ID_DISKETTE_CLOSE));
    ResetSortDirections();

    // The next run: a window of its own over the same diskette.
    CMainFrame next;
    auto* nextList = new COrvalisView(doc, user, chooser);
    nextList->OnInitialUpdate({});
    ASSERT_TRUE(next.Create(nextList));
    next.UseSettingsFile(file);
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    EXPECT_EQ(next.size(), QSize(640, 430));
    EXPECT_TRUE(next.ToolBar()->isHidden());
    EXPECT_TRUE(next.statusBar()->isHidden());
    EXPECT_FALSE(next.Action(ID_VIEW_TOOLBAR)->isChecked());
    EXPECT_EQ(nextList->columnWidth(COL_DATE), 210);
    EXPECT_FALSE(next.Action(ID_VERIFICATION)->isChecked());
    EXPECT_TRUE(next.Action(ID_RESTORE_ATTRIBUTES)->isChecked());
    // The sort comes back with the diskette opened, and the next click turns it round.
    ASSERT_TRUE(next.Commands().Run(ID_DISKETTE_OPEN));
    std::vector<QString> names;
    for (int row = 0; row < nextList->RowCount(); ++row) names.push_back(nextList->RowText(row, 0));
    EXPECT_EQ(names, (std::vector<QString>{"c.txt", "b.txt", "a.txt"}));
    EXPECT_EQ(nextList->header()->sortIndicatorSection(), COL_NAME);
    nextList->SortByColumn(COL_NAME);
    EXPECT_EQ(nextList->RowText(0, 0), "a.txt");
    ResetSortDirections();
}

}  // namespace
}  // namespace orv::tests

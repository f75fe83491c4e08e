// The context menu in the four states, and the two properties boxes.
#include <QMenu>

#include "ui/commands/command_ids.h"
#include "ui/view/context_menu_items.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

using Items = std::vector<std::pair<int, std::string>>;

Items MenuItems(QMenu& menu) {
    Items out;
    for (QAction* a : menu.actions())
        out.emplace_back(a->isSeparator() ? 0 : a->data().toInt(),
                         a->isSeparator() ? "" : a->text().toStdString());
    return out;
}

const Items kClosedMenu = {{ID_DISKETTE_OPEN, "&Open"},
                           {0, ""},
                           {ID_FORMAT, "&Format..."},
                           {0, ""},
                           {ID_CONTEXT_ABOUT, "&About Orvalis..."}};
const Items kOpenNoneMenu = {{ID_DISKETTE_CLOSE, "C&lose"},
                             {0, ""},
                             {ID_FILE_ADD, "&Add..."},
                             {0, ""},
                             {ID_DISKETTE_INFO, "&Diskette info..."}};
const Items kOneMenu = {
    {ID_DISKETTE_CLOSE, "C&lose"},    {0, ""}, {ID_FILE_COPY, "&Copy..."},
    {ID_FILE_DELETE, "&Delete\tDEL"}, {0, ""}, {ID_PROPERTIES_ONE, "&Properties"}};
Items ManyMenu() {
    Items m = kOneMenu;
    m.back().first = ID_PROPERTIES_MANY;
    return m;
}

class ContextMenuTest : public ViewTest {};

// The context menu shows the commands' own actions: what the menu bar runs, it runs.
TEST_F(ContextMenuTest, TheViewBuildsTheMenuOfItsState) {
    QMenu closed;
    view.BuildContextMenu(closed);
    EXPECT_EQ(MenuItems(closed), kClosedMenu);
    EXPECT_FALSE(closed.actions().front()->icon().isNull());  // the Open bitmap

    Open();
    QMenu openNone;
    view.BuildContextMenu(openNone);
    EXPECT_EQ(MenuItems(openNone), kOpenNoneMenu);
    EXPECT_FALSE(openNone.actions().front()->icon().isNull());  // the Close bitmap
    for (QAction* a : openNone.actions()) EXPECT_TRUE(a->isSeparator() || a->isEnabled());

    AddToDiskette("a.txt", 1000);
    AddToDiskette("b.txt", 700);
    Select({0});
    QMenu one;
    view.BuildContextMenu(one);
    EXPECT_EQ(MenuItems(one), kOneMenu);

    Select({0, 1});
    QMenu many;
    view.BuildContextMenu(many);
    EXPECT_EQ(MenuItems(many), ManyMenu());
    for (QAction* a : many.actions())
        if (!a->isSeparator()) {
            EXPECT_EQ(a, view.Commands().Action(a->data().toInt()));
        }
}

TEST_F(ContextMenuTest, PropertiesShowTheBytesOnThisDiskette) {
    Open();
    AddToDiskette("one.txt", 1000);
    AddToDiskette("six.txt", 600);
    AddToDiskette("seven.txt", 700);
    // Rows: seven.txt, six.txt, one.txt.
    Select({2});
    ASSERT_TRUE(view.Commands().Run(ID_PROPERTIES_ONE));
    Select({0, 1});
    ASSERT_TRUE(view.Commands().Run(ID_PROPERTIES_MANY));
    const std::vector<Message> shown = user.script.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "one.txt\n\nSize: 0 kB (Bytes 1000 )");
    EXPECT_EQ(shown[0].icon, Icon::None);
    EXPECT_EQ(shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(shown[1].text, "Size: 1 kB (Bytes 1300 )");
}

TEST_F(ContextMenuTest, AboutFromTheContextMenuAsksTheFrame) {
    int requests = 0;
    QObject::connect(&view, &COrvalisView::aboutRequested, [&] { ++requests; });
    ASSERT_TRUE(view.Commands().Run(ID_CONTEXT_ABOUT));
    EXPECT_EQ(requests, 1);
}

}  // namespace
}  // namespace orv::tests

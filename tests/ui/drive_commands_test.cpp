// What the window puts into drive A:: a new blank image, the recent images (kept in a file of
// ours, newest first, ten at most) and the drives of the machine beside the image in the drive.
#include <QAction>
#include <QMenu>
#include <filesystem>

#include "disk/geometry.h"
#include "ui/commands/command_ids.h"
#include "ui/frame/drive_pane.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

TEST(RecentImages, TenNewestFirstKeptInTheFile) {
    TempDir temp;
    const std::string file = temp.File("config/orvalis/recent-images");
    {
        CRecentImages recent(file);
        for (int i = 0; i < 12; ++i) recent.Add(temp.File("disk" + std::to_string(i) + ".img"));
        recent.Add(temp.File("disk5.img"));  // again: to the top, once
        ASSERT_EQ(recent.Paths().size(), CRecentImages::kMaxImages);
        EXPECT_EQ(recent.Paths()[0], temp.File("disk5.img"));
        EXPECT_EQ(recent.Paths()[1], temp.File("disk11.img"));
        EXPECT_EQ(recent.Paths()[9], temp.File("disk2.img"));  // 0 and 1 fell off
    }
    // Another start reads what the first one wrote, and no line that is not an absolute path.
    std::string text;
    const CRecentImages reread(file);
    for (const std::string& p : reread.Paths()) text += p + "\n";
    WriteText(file, "relative.img\n\n" + text);
    const CRecentImages again(file);
    ASSERT_EQ(again.Paths().size(), CRecentImages::kMaxImages);
    EXPECT_EQ(again.Paths()[0], temp.File("disk5.img"));

    // A relative path is kept as the absolute one it stands for.
    CRecentImages memory;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path());
    memory.Add("./x/../here.img");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(memory.Paths(), std::vector<std::string>{temp.File("here.img")});
}

class DriveCommandsTest : public ImageDriveViewTest {
protected:
    void SetUp() override {
        MakeFormattedImage(first, "FIRST");
        ASSERT_TRUE(control.Insert(first, user));
        view.OnInitialUpdate({});
    }
    // The submenu of the command as it opens: filled afresh.
    std::vector<QAction*> Submenu(int id) {
        QMenu* menu = view.Commands().Action(id)->menu();
        EXPECT_NE(menu, nullptr);
        if (!menu) return {};
        emit menu->aboutToShow();
        const QList<QAction*> actions = menu->actions();
        return {actions.begin(), actions.end()};
    }

    std::string first = temp.File("first.img");
};

TEST_F(DriveCommandsTest, ANewBlankImageGoesIntoTheDriveAndNeverOverwrites) {
    const std::string fresh = temp.File("fresh.img");
    chooser.replies.push_back({fresh});
    ASSERT_TRUE(view.Commands().Run(ID_NEW_IMAGE));
    EXPECT_EQ(drive.Path(), fresh);
    EXPECT_EQ(ReadBytes(fresh), std::vector<std::uint8_t>(std::size_t(kImageSize), 0));
    EXPECT_EQ(recent.Paths().front(), fresh);

    // An image full of files is never replaced by a blank one.
    chooser.replies.push_back({first});
    const auto before = ReadBytes(first);
    ASSERT_TRUE(view.Commands().Run(ID_NEW_IMAGE));
    EXPECT_EQ(ReadBytes(first), before);
    EXPECT_EQ(drive.Path(), fresh);
    ASSERT_EQ(user.script.Shown().size(), 1u);
    EXPECT_EQ(user.script.Shown()[0].text, first + ": file already exists, not overwritten");
    EXPECT_EQ(user.script.Shown()[0].icon, Icon::Stop);
}

TEST_F(DriveCommandsTest, RecentImagesGoBackIntoTheDrive) {
    const std::string second = temp.File("second.img");
    MakeFormattedImage(second, "SECOND");
    chooser.replies.push_back({second});
    ASSERT_TRUE(view.Commands().Run(ID_INSERT_IMAGE));
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{second, first}));

    std::vector<QAction*> items = Submenu(ID_RECENT_IMAGES);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0]->text().startsWith("&1 ") && items[0]->text().endsWith("second.img"));
    EXPECT_EQ(items[1]->statusTip().toStdString(), first);
    items[1]->trigger();
    EXPECT_EQ(drive.Path(), first);
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{first, second}));

    // A missing image is an empty drive, which is nothing to go back to.
    chooser.replies.push_back({temp.File("absent.img")});
    ASSERT_TRUE(view.Commands().Run(ID_INSERT_IMAGE));
    EXPECT_EQ(drive.Path(), temp.File("absent.img"));
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{first, second}));
    Submenu(ID_RECENT_IMAGES)[0]->trigger();
    EXPECT_EQ(drive.Path(), first);

    // An image that went away is taken off the list; the drive keeps what it holds.
    std::filesystem::remove(second);
    Submenu(ID_RECENT_IMAGES)[1]->trigger();
    EXPECT_EQ(drive.Path(), first);
    EXPECT_EQ(recent.Paths(), std::vector<std::string>{first});
    EXPECT_EQ(user.script.Texts(),
              std::vector<std::string>{second + "\n\nThis image no longer exists. It is taken off "
                                                "the list of recent images."});

    // With a diskette open nothing else goes into the drive.
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
    EXPECT_FALSE(Submenu(ID_RECENT_IMAGES)[0]->isEnabled());
}

TEST_F(DriveCommandsTest, TheDriveMenuShowsTheImageBesideTheDrives) {
    view.SetSysRoot(temp.File("no-sys"));
    std::vector<QAction*> items = Submenu(ID_DRIVE_MENU);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->text(), "Image first.img");
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "No 1.44 MB drive found");
    EXPECT_FALSE(items[2]->isEnabled());

    const std::filesystem::path sdb = temp.Path() / "sys" / "block" / "sdb";
    std::filesystem::create_directories(sdb);
    WriteText((sdb / "removable").string(), "1\n");
    WriteText((sdb / "size").string(), "2880\n");
    view.SetSysRoot(temp.File("sys"));
    items = Submenu(ID_DRIVE_MENU);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2]->text(), "/dev/sdb");
    EXPECT_FALSE(items[2]->isChecked());
    EXPECT_EQ(items[2]->statusTip(), "/dev/sdb");
}

TEST_F(DriveCommandsTest, AnImageGoesInWithItsMapfileAndARefusedMapfileIsSaid) {
    const std::string worn = temp.File("worn.img"), map = temp.File("worn.map");
    MakeFormattedImage(worn, "WORN");
    WriteText(map, "0 +\n0 512 +\n1024 1473536 +\n");
    chooser.replies.push_back({worn});
    ASSERT_TRUE(view.Commands().Run(ID_INSERT_IMAGE));
    EXPECT_EQ(drive.Path(), first);
    ASSERT_EQ(user.script.Shown().size(), 1u);
    EXPECT_EQ(user.script.Shown()[0].text,
              map +
                  ":3: gap: block begins at byte 0x00000400, the block before ends at byte "
                  "0x00000200 (the ddrescue mapfile of " +
                  worn + ")");
    EXPECT_EQ(user.script.Shown()[0].icon, Icon::Stop);

    WriteText(map, "0 -\n0 35840 +\n35840 512 -\n36352 1438208 +\n");  // sector 70 bad
    chooser.replies.push_back({worn});
    ASSERT_TRUE(view.Commands().Run(ID_INSERT_IMAGE));
    EXPECT_EQ(drive.Path(), worn);
    EXPECT_EQ(view.DriveMapfile(), map);
    std::uint8_t sector[kSectorSize];
    EXPECT_FALSE(drive.Read(70, 1, sector));
    CDrivePane pane;
    pane.ShowPath(view.DrivePath(), view.DriveMapfile());
    EXPECT_EQ(pane.text(), "A: worn.img (mapfile)");
    EXPECT_EQ(pane.toolTip().toStdString(),
              worn + "\nOnly what the ddrescue mapfile " + map + " gives as finished reads.");
    pane.ShowPath(first);
    EXPECT_EQ(pane.text(), "A: first.img");
    EXPECT_EQ(pane.toolTip().toStdString(), first);
}

}  // namespace
}  // namespace orv::tests

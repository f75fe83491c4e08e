// The rescue commands of the Diskette menu and the scan window, on image files: what each asks,
// what it refuses while a diskette is open, the scan window's rows, filter, double click and
// extraction. What the operations themselves do is the core's and tested there.
#include <QComboBox>
#include <QInputDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "ui/commands/command_ids.h"
#include "ui/dialogs/scan_window.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

class RescueCommandsTest : public ImageDriveViewTest {
protected:
    void SetUp() override { view.OnInitialUpdate({}); }

    // A formatted image holding files of the given sizes, named f1.bin, f2.bin, ...
    std::string Image(const std::string& name, const std::string& label,
                      const std::vector<std::size_t>& sizes) {
        const std::string path = temp.File(name);
        MakeFormattedImage(path, label);
        CDrive d;
        std::string error;
        EXPECT_TRUE(d.Insert(path, error)) << error;
        ScriptedUser quiet;
        COrvalisDoc filler(d, DocPorts{&quiet, &progress, nullptr});
        EXPECT_EQ(filler.OpenDiskette(), 0);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string file = temp.File("f" + std::to_string(i + 1) + ".bin");
            WriteBytes(file, Pattern(sizes[i], std::uint32_t(i + 1)));
            // One date for every copy: copies of one file on several images must agree.
            std::filesystem::last_write_time(file, stamp);
            EXPECT_EQ(filler.AddFile(file, 0), 0);
        }
        return path;
    }
    CScanWindow* ScanWindow() { return view.findChild<CScanWindow*>("scanWindow"); }
    QTreeWidget* Rows() { return ScanWindow()->findChild<QTreeWidget*>("rows"); }
    // The rows shown, top-level ones with their status, files indented.
    std::vector<std::string> Shown() {
        std::vector<std::string> rows;
        for (int i = 0; i < Rows()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = Rows()->topLevelItem(i);
            if (!row->isHidden()) rows.push_back((row->text(0) + " " + row->text(1)).toStdString());
            for (int j = 0; j < row->childCount(); ++j)
                if (!row->child(j)->isHidden())
                    rows.push_back(("  " + row->child(j)->text(0) + " " + row->child(j)->text(1) +
                                    " " + row->child(j)->text(CScanWindow::COL_BAD))
                                       .toStdString());
        }
        return rows;
    }
    void Filter(const QString& text) {
        auto* filter = ScanWindow()->findChild<QComboBox*>("filter");
        filter->setCurrentIndex(filter->findText(text));
    }

    const std::filesystem::file_time_type stamp = std::filesystem::file_time_type::clock::now();
};

TEST_F(RescueCommandsTest, TheScanWindowListsImagesAndFilesFiltersThemAndExtractsEverything) {
    std::filesystem::create_directories(temp.Path() / "box" / "sub");
    const std::string a = Image("box/a.img", "BOXA", {3000, 100});
    WriteText(a + ".faults", "unreadable 66\nunreadable 71\n");  // f1.bin 2, f2.bin's header
    const std::string b = Image("box/sub/b.img", "BOXB", {600});
    WriteText(temp.File("box/short.img"), "no diskette");
    chooser.replies.push_back({temp.File("box")});
    ASSERT_TRUE(view.Commands().Run(ID_SCAN_FOLDER));
    ASSERT_NE(ScanWindow(), nullptr);
    EXPECT_EQ(chooser.requests.back().kind, FileDialogRequest::Kind::Folder);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a.img ok", "  f1.bin damaged 2",
                                                 "  #2 header unreadable 0", "sub/b.img ok",
                                                 "  f1.bin intact ", "short.img not an image"}));
    const auto* filter = ScanWindow()->findChild<QComboBox*>("filter");
    QStringList offered;
    for (int i = 0; i < filter->count(); ++i) offered << filter->itemText(i);
    EXPECT_EQ(offered,
              (QStringList{"All", "Files: damaged (1)", "Files: header unreadable (1)",
                           "Files: intact (1)", "Images: ok (2)", "Images: not an image (1)"}));
    Filter("Files: damaged (1)");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a.img ok", "  f1.bin damaged 2"}));
    Filter("Images: ok (2)");
    EXPECT_EQ(Shown().size(), 5u);

    // Extract all: every file out, under a folder per image; the filter chosen stays.
    const std::string out = temp.File("out");
    chooser.replies.push_back({out});
    ScanWindow()->findChild<QPushButton*>("extract")->click();
    auto damaged = Pattern(3000, 1);
    std::fill(damaged.begin() + 955, damaged.begin() + 955 + 507, std::uint8_t('X'));
    EXPECT_EQ(ReadBytes(out + "/a/f1.bin"), damaged);
    EXPECT_TRUE(std::filesystem::exists(out + "/a/f1.bin.report"));
    EXPECT_EQ(ReadBytes(out + "/b/f1.bin"), Pattern(600, 1));
    ASSERT_FALSE(user.script.Shown().empty());
    EXPECT_EQ(user.script.Shown().back().text.rfind("Every file was copied out into\n" + out, 0),
              0u);
    EXPECT_EQ(user.script.Shown().back().icon, Icon::Information);
    EXPECT_EQ(filter->currentText(), "Images: ok (2)");
    // Again into the same folder: the images already out whole are skipped, nothing there is
    // overwritten, and the run ends as the first did.
    chooser.replies.push_back({out});
    ScanWindow()->findChild<QPushButton*>("extract")->click();
    EXPECT_EQ(user.script.Shown().back().icon, Icon::Information);
    EXPECT_EQ(ReadBytes(out + "/b/f1.bin"), Pattern(600, 1));
    EXPECT_EQ(ReadBytes(b).size(), std::size_t(kImageSize));
}

TEST_F(RescueCommandsTest, ADoubleClickPutsTheImageIntoTheDriveOnlyWhileNoDisketteIsOpen) {
    const std::string first = Image("first.img", "FIRST", {});
    std::filesystem::create_directories(temp.Path() / "box");
    const std::string b = Image("box/b.img", "BOXB", {600});
    ASSERT_TRUE(control.Insert(first, user));
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
    // Scanning reads image files only: it runs while a diskette is open.
    chooser.replies.push_back({temp.File("box")});
    ASSERT_TRUE(view.Commands().Run(ID_SCAN_FOLDER));
    QTreeWidgetItem* file = Rows()->topLevelItem(0)->child(0);
    emit Rows()->itemActivated(file, 0);
    EXPECT_EQ(drive.Path(), first);
    EXPECT_EQ(user.script.Texts().back(),
              "Diskette is open. Close diskette before you put another one into drive A:.");

    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_CLOSE));
    emit Rows()->itemActivated(file, 0);
    EXPECT_EQ(drive.Path(), b);
    EXPECT_EQ(recent.Paths().front(), b);
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
    EXPECT_EQ(view.RowText(0, 0), "f1.bin");
}

TEST_F(RescueCommandsTest, MakeImageIsRefusedWhileADisketteIsOpenAndTellsWhatItRead) {
    const std::string worn = Image("worn.img", "WORN", {3000});
    WriteText(worn + ".faults", "unreadable 70\n");
    ASSERT_TRUE(control.Insert(worn, user));
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
    ASSERT_TRUE(view.Commands().Run(ID_MAKE_IMAGE));
    EXPECT_TRUE(chooser.requests.empty());  // nothing asked
    EXPECT_EQ(user.script.Texts().back(),
              "Diskette is open. Cannot make an image of an open diskette.\nClose diskette and "
              "try again.");
    // Merge and rescue read image files, but not the one this program holds open.
    chooser.replies.push_back({worn});
    ASSERT_TRUE(view.Commands().Run(ID_MERGE_READS));
    EXPECT_EQ(user.script.Texts().back(),
              worn + "\n\nis the diskette open in drive A:. Close diskette and try again.");

    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_CLOSE));
    const std::string out = temp.File("out.img");
    chooser.replies.push_back({out});
    ASSERT_TRUE(view.Commands().Run(ID_MAKE_IMAGE));
    EXPECT_FALSE(chooser.requests.back().confirmOverwrite);  // an image is filled in, not replaced
    const Message told = user.script.Shown().back();
    EXPECT_EQ(told.text.rfind(out + "\n\n2880 sectors: 2879 read, 1 unreadable.", 0), 0u)
        << told.text;
    EXPECT_EQ(told.icon, Icon::Exclamation);
    EXPECT_TRUE(std::filesystem::exists(out + ".faults"));
}

TEST_F(RescueCommandsTest, MergeAsksBeforeItMergesReadsOfDifferentDiskettes) {
    const std::string one = Image("one.img", "ONE", {100});
    const std::string other = Image("other.img", "OTHER", {100});
    const std::string merged = temp.File("merged.img");
    for (Answer answer : {Answer::No, Answer::Yes}) {
        chooser.replies.push_back({one, other});
        chooser.replies.push_back({merged});
        user.script.Push(answer);
        ASSERT_TRUE(view.Commands().Run(ID_MERGE_READS));
        EXPECT_EQ(std::filesystem::exists(merged), answer == Answer::Yes);
    }
    const std::vector<Message> shown = user.script.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[0].text.find("are not reads of one diskette"), std::string::npos);
    EXPECT_EQ(shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(shown[0].defaultButton, Answer::No);
    EXPECT_EQ(shown[2].icon, Icon::Information);
}

TEST_F(RescueCommandsTest, RescueOffersTheFilesOfTheImagesAndShowsWhatNoCopyHeld) {
    const std::string a = Image("a.img", "ONE", {3000, 40});
    const std::string b = Image("b.img", "TWO", {3000});
    WriteText(a + ".faults", "unreadable 66\nunreadable 69\n");  // f1.bin 2 and 5
    WriteText(b + ".faults", "unreadable 67\nunreadable 69\n");  // f1.bin 3 and 5
    const std::string target = temp.File("rescued.bin");
    chooser.replies.push_back({a, b});
    chooser.replies.push_back({target});
    QStringList offered;
    bool markShown = true;
    ModalDriver driver;
    driver.Then([&](QWidget* w) {
        auto* choice = qobject_cast<QInputDialog*>(w);
        if (!choice) return false;
        offered = choice->comboBoxItems();
        choice->setTextValue("f1.bin");
        choice->accept();
        return true;
    });
    driver.Then([&](QWidget* w) {
        auto* mark = w->findChild<QPushButton*>("mark");
        if (!mark) return false;
        markShown = mark->isVisible();  // no diskette to mark units on
        static_cast<QDialog*>(w)->reject();
        return true;
    });
    ASSERT_TRUE(view.Commands().Run(ID_RESCUE_FILE));
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(offered, (QStringList{"f1.bin", "f2.bin"}));
    EXPECT_FALSE(markShown);
    EXPECT_EQ(chooser.requests.back().initialName, "f1.bin");
    auto expected = Pattern(3000, 1);
    const int offset5 = 448 + 4 * 507;
    std::fill(expected.begin() + offset5, expected.begin() + offset5 + 507, std::uint8_t('X'));
    EXPECT_EQ(ReadBytes(target), expected);
    const Message told = user.script.Shown().back();
    EXPECT_EQ(told.text.rfind(target + "\n\n7 pieces, 1 not read by any image", 0), 0u)
        << told.text;
}

}  // namespace
}  // namespace orv::tests

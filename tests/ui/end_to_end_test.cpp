// The real main window on image files, with the real progress dialog: open a diskette, add a
// file, copy it back byte for byte, delete it; and a file spread over two images through the
// insert prompts and the "Insert diskette image..." command.
#include <QAction>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include "support/diskette_names.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/bad_sector_report_dialog.h"
#include "ui/frame/drive_pane.h"
#include "ui/frame/main_frame.h"
#include "ui/progress/progress_runner.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFormattedImage(first, "FIRST");
        std::string error;
        ASSERT_TRUE(drive.Insert(first, error)) << error;
        doc = std::make_unique<COrvalisDoc>(drive, DocPorts{&user, &progress, &report});
        frame = std::make_unique<CMainFrame>();
        view = new COrvalisView(*doc, user, chooser);
        ASSERT_TRUE(frame->Create(view));
        view->OnInitialUpdate({});
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));  // the Del key needs it
    }
    void TearDown() override { frame.reset(); }

    QAction* ToolbarAction(int id) {
        for (QAction* a : frame->ToolBar()->actions())
            if (a->data().toInt() == id) return a;
        return nullptr;
    }
    QAction* MenuAction(int id) {
        for (QAction* menu : frame->menuBar()->actions())
            for (QAction* a : menu->menu()->actions())
                if (!a->isSeparator() && a->data().toInt() == id) return a;
        return nullptr;
    }
    void SelectName(const QString& name) {
        std::vector<int> rows;
        for (int row = 0; row < view->RowCount(); ++row)
            if (view->RowText(row, 0) == name) rows.push_back(row);
        view->SelectRows(rows);
    }
    std::vector<std::string> NamesOn(const std::string& image) {
        CDrive other;
        std::string error;
        EXPECT_TRUE(other.Insert(image, error));
        return NamesOnDiskette(other);
    }

    TempDir temp;
    std::string first = temp.File("first.img");
    std::string second = temp.File("second.img");
    CDrive drive;
    HookedUser user;
    ScriptedChooser chooser;
    CProgressRunner progress{user};
    CReportPort report{user, chooser};
    std::unique_ptr<COrvalisDoc> doc;
    std::unique_ptr<CMainFrame> frame;
    COrvalisView* view = nullptr;
};

TEST_F(EndToEndTest, OpenAddCopyBackAndDelete) {
    ToolbarAction(ID_DISKETTE_OPEN)->trigger();
    ASSERT_TRUE(view->IsOpen());
    EXPECT_EQ(frame->windowTitle(), "Orvalis - FIRST");

    const std::string source = temp.File("payload.bin");
    WriteBytes(source, Pattern(20000, 9));
    chooser.replies.push_back({source});
    ToolbarAction(ID_FILE_ADD)->trigger();
    ASSERT_EQ(view->RowCount(), 1);
    EXPECT_EQ(view->RowText(0, 0), "payload.bin");
    EXPECT_EQ(view->RowText(0, 1), "20000");
    EXPECT_TRUE(frame->StatusText().endsWith(" KB free on diskette"));
    EXPECT_EQ(NamesOn(first), (std::vector<std::string>{"payload.bin"}));

    SelectName("payload.bin");
    const std::string target = temp.File("back.bin");
    chooser.replies.push_back({target});
    MenuAction(ID_FILE_COPY)->trigger();
    EXPECT_EQ(ReadBytes(target), Pattern(20000, 9));

    SelectName("payload.bin");
    user.script.Push(Answer::Yes);
    frame->activateWindow();  // the offscreen platform leaves it inactive after the dialog
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(view->RowCount(), 0);
    EXPECT_TRUE(NamesOn(first).empty());
    EXPECT_EQ(user.script.Texts(),
              (std::vector<std::string>{"Are you sure you want to delete the file(s)."}));
}

TEST_F(EndToEndTest, AFileSpreadOverTwoImages) {
    MakeFormattedImage(second, "SECOND");
    MenuAction(ID_DISKETTE_OPEN)->trigger();
    ASSERT_TRUE(view->IsOpen());

    const std::vector<std::uint8_t> data = Pattern(2'000'000, 5);
    const std::string source = temp.File("big.bin");
    WriteBytes(source, data);
    chooser.replies.push_back({source});
    user.script.Push(Answer::Yes);  // larger than the free space: go on
    user.PushInsert([&] {
        std::string error;
        ASSERT_TRUE(drive.Insert(second, error)) << error;
    });
    MenuAction(ID_FILE_ADD)->trigger();
    ASSERT_EQ(user.Prompts().size(), 1u);
    EXPECT_EQ(user.Prompts()[0], "Please, insert another diskette (mark as 1) and click on OK.");
    EXPECT_EQ(NamesOn(first), (std::vector<std::string>{"big.bin"}));
    EXPECT_EQ(NamesOn(second), (std::vector<std::string>{"big.1"}));
    ASSERT_EQ(view->RowCount(), 1);
    EXPECT_EQ(view->RowText(0, 0), "big.1");
    // The window follows the diskette in the drive: its label and its free space.
    EXPECT_EQ(frame->windowTitle(), "Orvalis - SECOND");
    EXPECT_TRUE(frame->StatusText().startsWith(QString::number(doc->Volume().FreeBytes() / 1024) +
                                               " KB free"))
        << frame->StatusText().toStdString();

    // Back to the first image through the menu, then copy: the second part is asked for.
    MenuAction(ID_DISKETTE_CLOSE)->trigger();
    chooser.replies.push_back({first});
    QAction* insert = MenuAction(ID_INSERT_IMAGE);
    ASSERT_TRUE(insert->isEnabled());
    insert->trigger();
    EXPECT_EQ(drive.Path(), first);
    EXPECT_EQ(frame->DrivePane()->text(), "A: first.img");
    EXPECT_EQ(frame->DrivePane()->toolTip().toStdString(), first);
    MenuAction(ID_DISKETTE_OPEN)->trigger();
    EXPECT_FALSE(MenuAction(ID_INSERT_IMAGE)->isEnabled());
    SelectName("big.bin");
    const std::string target = temp.File("big-back.bin");
    chooser.replies.push_back({target});
    user.PushInsert([&] {
        std::string error;
        ASSERT_TRUE(drive.Insert(second, error)) << error;
    });
    MenuAction(ID_FILE_COPY)->trigger();
    ASSERT_EQ(user.Prompts().size(), 2u);
    EXPECT_EQ(user.Prompts()[1], "Insert diskette with file big.1\nand click OK");
    EXPECT_EQ(ReadBytes(target), data);
    EXPECT_EQ(user.script.Unscripted(), 0);
    EXPECT_EQ(frame->windowTitle(), "Orvalis - SECOND");
    ASSERT_EQ(view->RowCount(), 1);
    EXPECT_EQ(view->RowText(0, 0), "big.1");
}

}  // namespace
}  // namespace orv::tests

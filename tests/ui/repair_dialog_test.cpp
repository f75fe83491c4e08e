// The repair-file dialog in both modes: its sector entry, its browse buttons, its checks on
// Repair, and a repair file made and applied through the two commands.
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "maintenance/repair/repair_texts.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/repair_file_dlg.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

constexpr int kPiece = 507;

class RepairDialogTest : public ::testing::Test {
protected:
    QLineEdit* Edit(QWidget& dlg, const char* name) { return dlg.findChild<QLineEdit*>(name); }
    QPushButton* Button(QWidget& dlg, const char* name) {
        return dlg.findChild<QPushButton*>(name);
    }
    QStringList Entries(QWidget& dlg) {
        QStringList texts;
        auto* list = dlg.findChild<QListWidget*>("sectors");
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
        return texts;
    }
    void Enter(QWidget& dlg, const QString& text) {
        Edit(dlg, "sector")->setText(text);
        Button(dlg, "add")->click();
    }

    ScriptedUser user;
    ScriptedChooser chooser;
    RepairList list;
};

TEST_F(RepairDialogTest, SectorNumbersOutsideTheDisketteAreRefusedAndTextIsKeptAsTyped) {
    CRepairFileDlg dlg(&list, user, chooser, CRepairFileDlg::CREATE);
    EXPECT_EQ(dlg.windowTitle(), "Create repair file");
    Enter(dlg, "0");
    Enter(dlg, "2817");
    Enter(dlg, "-3");
    EXPECT_TRUE(Entries(dlg).isEmpty());
    ASSERT_EQ(user.Shown().size(), 3u);
    for (const Message& m : user.Shown()) {
        EXPECT_EQ(m.text, "Enter sector number between 1 and 2816");
        EXPECT_EQ(m.icon, Icon::None);  // the dialog's own box has no icon
    }
    Enter(dlg, "12abc");
    Enter(dlg, "2816");
    Enter(dlg, " 1");
    EXPECT_EQ(Entries(dlg), (QStringList{"12abc", "2816", " 1"}));
    EXPECT_EQ(user.Shown().size(), 3u);
    // After each entry the text stays selected for the next number.
    EXPECT_EQ(Edit(dlg, "sector")->selectedText(), " 1");

    // Enter in the number field adds as well: Add is the default button.
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    Edit(dlg, "sector")->setText("7");
    Edit(dlg, "sector")->setFocus();
    QTest::keyClick(Edit(dlg, "sector"), Qt::Key_Return);
    EXPECT_EQ(Entries(dlg).size(), 4);
    EXPECT_TRUE(dlg.isVisible());

    // Remove takes the selected entry out, and nothing when none is selected.
    auto* sectors = dlg.findChild<QListWidget*>("sectors");
    sectors->setCurrentRow(1);
    Button(dlg, "remove")->click();
    EXPECT_EQ(Entries(dlg), (QStringList{"12abc", " 1", "7"}));
    sectors->clearSelection();
    Button(dlg, "remove")->click();
    EXPECT_EQ(Entries(dlg).size(), 3);

    Edit(dlg, "file")->setText("/data/film.avi");
    Edit(dlg, "repairFile")->setText("/data/repair_film.avi");
    dlg.accept();
    ASSERT_TRUE(dlg.Request().has_value());
    EXPECT_EQ(list, (RepairList{12, 1, 7}));
    EXPECT_EQ(dlg.Request()->startByte, 0);
}

TEST_F(RepairDialogTest, EnterInTheOtherFieldsAddsNothingAndAReportFillsTheList) {
    TempDir temp;
    CRepairFileDlg dlg(&list, user, chooser, CRepairFileDlg::REPAIR);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    Edit(dlg, "sector")->setText("5");
    for (const char* field : {"file", "repairFile", "startByte"}) {
        Edit(dlg, field)->setFocus();
        QTest::keyClick(Edit(dlg, field), Qt::Key_Return);
    }
    EXPECT_TRUE(Entries(dlg).isEmpty());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(user.Shown().empty());
    Enter(dlg, "5");
    Enter(dlg, "5");  // once is enough
    EXPECT_EQ(Entries(dlg), QStringList{"5"});

    // A saved report replaces the list and brings its start byte.
    const std::string saved = temp.File("film.avibyd_sec.txt");
    WriteText(saved, "Start Byte:   955\r\n      3\r\n      7\r\n");
    chooser.replies.push_back({saved});
    Button(dlg, "loadReport")->click();
    EXPECT_EQ(Entries(dlg), (QStringList{"3", "7"}));
    EXPECT_EQ(Edit(dlg, "startByte")->text(), "955");
    // A --report-json file of a command that met several damaged parts: the user picks one.
    const std::string json = temp.File("r.json");
    WriteText(json, R"([{"name": "big.bin", "size": 2000000, "start": 0,
                          "bad": [{"position": 4, "offset": 1969, "length": 507}]},
                         {"name": "big.bin", "size": 2000000, "start": 1427264,
                          "bad": [{"position": 6, "offset": 1430247, "length": 507}]}])");
    QStringList offered;
    ModalDriver driver;
    driver.Then([&](QWidget* w) {
        auto* choice = qobject_cast<QInputDialog*>(w);
        if (!choice) return false;
        offered = choice->comboBoxItems();
        choice->setTextValue(offered.value(1));
        choice->accept();
        return true;
    });
    chooser.replies.push_back({json});
    Button(dlg, "loadReport")->click();
    EXPECT_EQ(offered, (QStringList{"big.bin, start byte 0: position 4",
                                    "big.bin, start byte 1427264: position 6"}));
    EXPECT_EQ(Entries(dlg), QStringList{"6"});
    EXPECT_EQ(Edit(dlg, "startByte")->text(), "1427264");
    // Anything else is refused and changes nothing.
    chooser.replies.push_back({temp.File("missing")});
    Button(dlg, "loadReport")->click();
    EXPECT_EQ(Entries(dlg), QStringList{"6"});
    EXPECT_EQ(user.Texts().back(), temp.File("missing") + "\n\nFile could not be opened.");
}

TEST_F(RepairDialogTest, BrowsingProposesTheRepairFileBesideTheChosenOne) {
    CRepairFileDlg create(&list, user, chooser, CRepairFileDlg::CREATE);
    chooser.replies.push_back({"/home/ann/film.avi"});
    Button(create, "browseFile")->click();
    EXPECT_EQ(Edit(create, "file")->text(), "/home/ann/film.avi");
    EXPECT_EQ(Edit(create, "repairFile")->text(), "/home/ann/repair_film.avi");
    chooser.replies.push_back({"/tmp/pieces.bin"});
    Button(create, "browseRepairFile")->click();
    EXPECT_EQ(Edit(create, "repairFile")->text(), "/tmp/pieces.bin");

    CRepairFileDlg repair(&list, user, chooser, CRepairFileDlg::REPAIR);
    EXPECT_EQ(repair.windowTitle(), "Repair file");
    chooser.replies.push_back({"/x/a.b"});
    Button(repair, "browseFile")->click();
    EXPECT_EQ(Edit(repair, "repairFile")->text(), "/x/repair_a.b");
    chooser.replies.push_back({});  // cancelled: nothing changes
    Button(repair, "browseRepairFile")->click();
    EXPECT_EQ(Edit(repair, "repairFile")->text(), "/x/repair_a.b");

    ASSERT_EQ(chooser.requests.size(), 4u);
    const FileDialogRequest& source = chooser.requests[0];
    EXPECT_EQ(source.kind, FileDialogRequest::Kind::OpenOne);
    EXPECT_EQ(source.title, "Enter name of source file:");
    EXPECT_EQ(source.filter, "All Files (*.*)|*.*||");
    EXPECT_EQ(chooser.requests[1].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(chooser.requests[1].title, "Enter name of repair file:");
    EXPECT_EQ(chooser.requests[1].initialName, "/home/ann/repair_film.avi");
    EXPECT_EQ(chooser.requests[2].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(chooser.requests[2].title, "Enter name of file to by repaired:");
    EXPECT_FALSE(chooser.requests[2].confirmOverwrite);  // the damaged file is meant to exist
    EXPECT_EQ(chooser.requests[3].kind, FileDialogRequest::Kind::OpenOne);
    EXPECT_EQ(chooser.requests[3].initialName, "/x/repair_a.b");
}

TEST_F(RepairDialogTest, RepairStaysOpenUntilBothFilesAndAGoodStartByteAreGiven) {
    CRepairFileDlg dlg(&list, user, chooser, CRepairFileDlg::REPAIR);
    Enter(dlg, "3");
    auto tryOk = [&] {
        dlg.setResult(QDialog::Rejected);
        dlg.accept();
        return dlg.result() == QDialog::Accepted;
    };
    EXPECT_FALSE(tryOk());
    Edit(dlg, "file")->setText("/x/film.avi");
    EXPECT_FALSE(tryOk());
    Edit(dlg, "repairFile")->setText("/x/repair_film.avi");
    Edit(dlg, "startByte")->setText("1000000001");
    EXPECT_FALSE(tryOk());
    Edit(dlg, "startByte")->setText("12x");
    EXPECT_FALSE(tryOk());
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(user.Texts(),
              (std::vector<std::string>{"Enter source and target file first please.",
                                        "Enter source and target file first please.",
                                        "Please enter an integer between 0 and 1000000000.",
                                        "Please enter an integer."}));
    EXPECT_EQ(user.Shown()[0].icon, Icon::None);
    Edit(dlg, "startByte")->setText("1000000000");
    EXPECT_TRUE(tryOk());
    EXPECT_EQ(list, RepairList{3});
    EXPECT_EQ(dlg.Request()->startByte, 1000000000);
}

// --- Through the two commands ----------------------------------------------------------------

class RepairCommandTest : public ViewTest {
protected:
    // Fills the repair dialog: the positions, the first file by its browse button (which
    // proposes the repair file), the repair file when given, the start byte; then Repair.
    ModalDriver::Handler FillAndRepair(const QStringList& positions, const std::string& file,
                                       const std::string& repairFile, const QString& start) {
        return [=, this](QWidget* w) {
            auto* dlg = qobject_cast<CRepairFileDlg*>(w);
            if (!dlg) return false;
            seenTitles << dlg->windowTitle();
            auto* sector = dlg->findChild<QLineEdit*>("sector");
            for (const QString& p : positions) {
                sector->setText(p);
                dlg->findChild<QPushButton*>("add")->click();
            }
            chooser.replies.push_back({file});
            dlg->findChild<QPushButton*>("browseFile")->click();
            if (!repairFile.empty()) {
                chooser.replies.push_back({repairFile});
                dlg->findChild<QPushButton*>("browseRepairFile")->click();
            }
            dlg->findChild<QLineEdit*>("startByte")->setText(start);
            dlg->findChild<QPushButton*>("ok")->click();
            return true;
        };
    }
    QStringList seenTitles;
};

TEST_F(RepairCommandTest, ARepairFileMadeFromTheIntactCopyMendsTheDamagedOne) {
    // The part of a file that starts 1000 bytes into it: positions 3 and 7 were unreadable (the
    // copy filled them with X).
    const std::vector<std::uint8_t> intact = Pattern(4800, 7);
    const std::string source = temp.File("intact.avi");
    WriteBytes(source, intact);
    std::vector<std::uint8_t> damaged = intact;
    const std::int32_t start = 1000;
    for (int k : {3, 7}) {
        const std::size_t pos = std::size_t(kPiece * k - 59 + start);
        const std::size_t end = std::min(damaged.size(), pos + kPiece);
        std::fill(damaged.begin() + std::ptrdiff_t(pos), damaged.begin() + std::ptrdiff_t(end),
                  0x58);
    }
    const std::string target = temp.File("copy.avi");
    WriteBytes(target, damaged);
    ASSERT_NE(ReadBytes(target), intact);

    ModalDriver driver;
    driver.Then(FillAndRepair({"3", "7"}, source, "", "1000"));
    ASSERT_TRUE(view.Commands().Run(ID_CREATE_REPAIR_FILE));
    ASSERT_TRUE(driver.Done());
    // Position 7 starts at 4490: the source ends 310 bytes later, inside that piece.
    EXPECT_EQ(user.script.Texts(), std::vector<std::string>{"817 B copied"});
    const std::string repairFile = temp.File("repair_intact.avi");
    EXPECT_EQ(ReadBytes(repairFile).size(), 817u);

    driver.Then(FillAndRepair({"3", "7"}, target, repairFile, "1000"));
    ASSERT_TRUE(view.Commands().Run(ID_REPAIR_FILE));
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(seenTitles, (QStringList{"Create repair file", "Repair file"}));
    EXPECT_EQ(user.script.Texts().back(), "File has been repaired.");
    EXPECT_EQ(ReadBytes(target), intact);
}

TEST_F(RepairCommandTest, CancelDoesNothingAndBothCommandsWorkWithADisketteOpen) {
    Open();
    ModalDriver driver;
    driver.Then([](QWidget* w) {
        auto* dlg = qobject_cast<CRepairFileDlg*>(w);
        if (!dlg) return false;
        dlg->findChild<QPushButton*>("cancel")->click();
        return true;
    });
    EXPECT_TRUE(view.Commands().IsEnabled(ID_CREATE_REPAIR_FILE));
    EXPECT_TRUE(view.Commands().IsEnabled(ID_REPAIR_FILE));
    ASSERT_TRUE(view.Commands().Run(ID_REPAIR_FILE));
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(user.script.Shown().empty());
    EXPECT_TRUE(view.IsOpen());
}

}  // namespace
}  // namespace orv::tests

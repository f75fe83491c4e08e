// The small dialogs: the results' list of damaged files, the start position's checks, the
// bad-sector report's Save and Mark, and the file dialogs' filters.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/dialogs/bad_sector_report_dialog.h"
#include "ui/dialogs/qt_file_chooser.h"
#include "ui/dialogs/results_dlg.h"
#include "ui/dialogs/start_from_dialog.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

TEST(ResultsDialog, ListsTheDamagedFilesUnderTheBalanceOnlyWhenThereAreAny) {
    WorkerResults r;
    r.freeBytes = 1000;
    CResultsDlg plain(MakeResultsTexts("Test result - Diskette 3,5.", r, "L"));
    EXPECT_EQ(plain.findChild<QListWidget*>("damagedFiles"), nullptr);

    r.damagedFiles = {{"a.txt (#3)", {2}, 507}, {"b (#4)", {0, 1}, 955}};
    CResultsDlg listed(MakeResultsTexts("Test result - Diskette 3,5.", r, "L"));
    auto* list = listed.findChild<QListWidget*>("damagedFiles");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "a.txt (#3): 507 bytes unreadable (chain positions 2)");
    EXPECT_EQ(list->item(1)->text(), "b (#4): 955 bytes unreadable (chain positions 0, 1)");
    EXPECT_GT(listed.height(), plain.height());  // the list takes room of its own
    EXPECT_LE(list->geometry().bottom(), listed.findChild<QPushButton*>("close")->y());
}

class StartFromDialogTest : public ::testing::Test {
protected:
    void TypePosition(const QString& text) { dlg.findChild<QLineEdit*>("position")->setText(text); }
    void TypeFile(const std::string& text) {
        dlg.findChild<QLineEdit*>("fileName")->setText(QString::fromStdString(text));
    }
    bool TryOk() {
        dlg.setResult(QDialog::Rejected);
        dlg.accept();
        return dlg.result() == QDialog::Accepted;
    }

    ScriptedUser user;
    ScriptedChooser chooser;
    TempDir temp;
    StartFromDialog dlg{user, chooser, true, "Insert position where add from."};
};

TEST_F(StartFromDialogTest, RefusesWhatCannotBeUsed) {
    EXPECT_EQ(dlg.windowTitle(), "Enter position where to add from");
    const std::string file = temp.File("ten.bin");
    WriteBytes(file, std::vector<std::uint8_t>(10));

    TypePosition("12x");
    TypeFile(file);
    EXPECT_FALSE(TryOk());
    TypePosition("2000000000");
    EXPECT_FALSE(TryOk());
    TypePosition("3");
    TypeFile("");
    EXPECT_FALSE(TryOk());
    TypeFile(temp.File("missing.bin"));
    EXPECT_FALSE(TryOk());
    TypePosition("10");  // equal to the size
    TypeFile(file);
    EXPECT_FALSE(TryOk());
    EXPECT_EQ(user.Texts(),
              (std::vector<std::string>{
                  "Please enter an integer.", "Please enter an integer between 0 and 1000000000.",
                  "Enter file name.", "The file " + temp.File("missing.bin") + " does not exist.",
                  "The entered position 10 exceeds file size."}));

    TypePosition("9");
    EXPECT_TRUE(TryOk());
    EXPECT_EQ(dlg.Position(), 9);
    EXPECT_EQ(dlg.FileName(), file);
}

// For Copy at... the end of the target is a position too: the rest of an interrupted add goes
// there.
TEST_F(StartFromDialogTest, CopyAtTakesThePositionAtTheEndOfTheTarget) {
    StartFromDialog copy{user, chooser, false, "Insert position where will copy"};
    const std::string file = temp.File("ten.bin");
    WriteBytes(file, std::vector<std::uint8_t>(10));
    copy.findChild<QLineEdit*>("fileName")->setText(QString::fromStdString(file));
    copy.findChild<QLineEdit*>("position")->setText("10");
    copy.setResult(QDialog::Rejected);
    copy.accept();
    EXPECT_EQ(copy.result(), QDialog::Accepted);
    EXPECT_EQ(copy.Position(), 10);
    EXPECT_TRUE(user.Texts().empty());
}

TEST_F(StartFromDialogTest, BrowseFillsTheFileName) {
    chooser.replies.push_back({"/tmp/picked.bin"});
    dlg.findChild<QPushButton*>("browse")->click();
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].title, "Start from...");
    EXPECT_EQ(chooser.requests[0].kind, FileDialogRequest::Kind::OpenOne);
    EXPECT_EQ(dlg.findChild<QLineEdit*>("fileName")->text(), "/tmp/picked.bin");

    StartFromDialog save(user, chooser, false,
                         "Insert position where will copy\n0 = Add on the end of file.");
    save.findChild<QPushButton*>("browse")->click();
    EXPECT_EQ(chooser.requests[1].kind, FileDialogRequest::Kind::Save);
    EXPECT_FALSE(chooser.requests[1].confirmOverwrite);  // the target is meant to exist
}

class ReportDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        report.name = "report.doc";
        report.startByte = 0;
        report.badList = &positions;
    }
    std::vector<std::uint32_t> positions = {1, 12};
    BadSectorReport report;
    ScriptedUser user;
    ScriptedChooser chooser;
    TempDir temp;
};

TEST_F(ReportDialogTest, ShowsThePositionsAndSavesTheReport) {
    BadSectorReportDialog dlg(report, user, chooser);
    EXPECT_EQ(dlg.windowTitle(), "Bad sectors on - Diskette 3,5");
    auto* list = dlg.findChild<QListWidget*>();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "      1");
    EXPECT_EQ(list->item(1)->text(), "     12");

    const std::string path = temp.File("report.txt");
    chooser.replies.push_back({path});
    dlg.OnSave();
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].title, "Save this informations...");
    EXPECT_EQ(chooser.requests[0].initialName, "report.docbyd_sec.txt");
    EXPECT_TRUE(chooser.requests[0].confirmOverwrite);
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Start Byte:   0\r\n      1\r\n     12\r\n");
    EXPECT_EQ(report.marked, 0);
}

TEST_F(ReportDialogTest, MarkAsksAndThenStaysDone) {
    BadSectorReportDialog dlg(report, user, chooser);
    QPushButton* mark = dlg.findChild<QPushButton*>("mark");
    user.Push(Answer::No);
    mark->click();
    EXPECT_EQ(report.marked, 0);
    EXPECT_TRUE(mark->isEnabled());
    user.Push(Answer::Yes);
    mark->click();
    EXPECT_EQ(report.marked, 1);
    EXPECT_FALSE(mark->isEnabled());
}

TEST(FileDialogFilters, TranslateToQtNotationWithThePatternsShownOnce) {
    EXPECT_EQ(QtNameFilters("All Files (*.*)|*.*|Text Files(*.txt,*.htm)|*.txt;*.htm||"),
              (QStringList{"All Files (*)", "Text Files (*.txt *.htm)"}));
    EXPECT_EQ(QtNameFilters("Archives (*.zip,*.rar)|*.zip;*.rar;*.arj||"),
              QStringList{"Archives (*.zip *.rar *.arj)"});
    EXPECT_EQ(QtNameFilters("Reports|*.txt||"), QStringList{"Reports (*.txt)"});
    EXPECT_TRUE(QtNameFilters("").isEmpty());
}

}  // namespace
}  // namespace orv::tests

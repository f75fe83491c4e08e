// The commands that move files, run on a formatted in-memory diskette with scripted answers:
// Add... with its free-space question, Delete of one and of several files, the copy commands'
// selection rules, and the start file added one second after start-up.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimerEvent>

#include "fs/volume.h"
#include "support/diskette_names.h"
#include "ui/commands/command_ids.h"
#include "ui/list/file_sort_proxy.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

constexpr std::size_t kTooLarge = 1'600'000;  // more than a whole diskette holds

class TransferCommandsTest : public ViewTest {
protected:
    void SetUp() override {
        ResetSortDirections();
        ViewTest::SetUp();
    }
    void TearDown() override { ResetSortDirections(); }

    // Three files for Add..., the second larger than the free space.
    std::vector<std::string> ThreeFiles() {
        return {HostFile("first.txt", 1000, 1), HostFile("huge.bin", kTooLarge, 2),
                HostFile("third.txt", 3000, 3)};
    }
};

// The batch's questions are the core's; the command chooses the files and shows the outcome.
TEST_F(TransferCommandsTest, AddChoosesTheFilesAndListsWhatWasAdded) {
    Open();
    chooser.replies.push_back(ThreeFiles());
    user.script.Push(Answer::No);
    ASSERT_TRUE(view.Commands().Run(ID_FILE_ADD));

    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].kind, FileDialogRequest::Kind::OpenMany);
    EXPECT_EQ(chooser.requests[0].title, "Select file(s)");
    EXPECT_EQ(chooser.requests[0].initialName, "*.*");
    EXPECT_EQ(user.script.Shown().size(), 1u);
    EXPECT_EQ(DocNames(), (std::vector<std::string>{"first.txt", "third.txt"}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"third.txt", "first.txt"}));
}

TEST_F(TransferCommandsTest, AddOfASecondFileOfANameSaysSoInTheStatusBar) {
    Open();
    AddToDiskette("a.txt", 100);
    std::vector<QString> statuses;
    QObject::connect(&view, &COrvalisView::statusTextChanged,
                     [&](const QString& text) { statuses.push_back(text); });
    std::filesystem::create_directory(temp.Path() / "other");
    chooser.replies.push_back({HostFile("other/a.txt", 200, 2)});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_ADD));
    EXPECT_EQ(doc.Files().size(), 2u);
    ASSERT_FALSE(statuses.empty());
    EXPECT_TRUE(statuses.back().endsWith(
        " KB free on diskette. The diskette already held a file named a.txt (#1); both are on it "
        "now."))
        << statuses.back().toStdString();
    EXPECT_TRUE(user.script.Shown().empty());
}

TEST_F(TransferCommandsTest, AddWithACancelledDialogAddsNothing) {
    Open();
    chooser.replies.push_back({});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_ADD));
    EXPECT_TRUE(doc.Files().empty());
    EXPECT_EQ(progress.runs, 0);
}

TEST_F(TransferCommandsTest, DeleteOfOneFileRemovesJustItsRow) {
    Open();
    AddToDiskette("a.txt", 100);
    AddToDiskette("b.txt", 900);
    AddToDiskette("c.txt", 500);
    view.SortByColumn(1);  // by size: c.txt is not where a rebuild would put it
    ASSERT_EQ(Column(0), (std::vector<std::string>{"b.txt", "c.txt", "a.txt"}));
    Select({1});
    user.script.Push(Answer::Yes);
    ASSERT_TRUE(view.Commands().Run(ID_FILE_DELETE));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"b.txt", "a.txt"}));  // order kept
    EXPECT_EQ(DocNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(NamesOnDiskette(disk.Drive()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(TransferCommandsTest, DeleteOfSeveralFilesRebuildsTheList) {
    Open();
    AddToDiskette("a.txt", 100);
    AddToDiskette("b.txt", 900);
    AddToDiskette("c.txt", 500);
    AddToDiskette("d.txt", 700);
    view.SortByColumn(0);  // by name: d, c, b, a
    Select({0, 2});        // d.txt and b.txt
    user.script.Push(Answer::Yes);
    ASSERT_TRUE(view.Commands().Run(ID_FILE_DELETE));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"c.txt", "a.txt"}));  // reverse list order
    // The table reached the diskette with the last delete.
    EXPECT_EQ(NamesOnDiskette(disk.Drive()), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_TRUE(view.Commands().State().selected == 0);
}

TEST_F(TransferCommandsTest, CopyAtWithTwoRowsOpensNoDialog) {
    Open();
    AddToDiskette("a.txt", 100);
    AddToDiskette("b.txt", 100);
    Select({0, 1});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_COPY_AT));
    EXPECT_EQ(user.script.Texts(),
              (std::vector<std::string>{"More than one file is selected.\nThis option's only for "
                                        "one file.\n\nSelect only one file please."}));
    EXPECT_TRUE(chooser.requests.empty());
}

TEST_F(TransferCommandsTest, CopyOfOneFileWritesTheChosenTarget) {
    Open();
    AddToDiskette("data.bin", 5000);
    Select({0});
    const std::string target = temp.File("back.bin");
    chooser.replies.push_back({target});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_COPY));
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].title, "Copy file...");
    EXPECT_EQ(chooser.requests[0].initialName, "data.bin");
    EXPECT_TRUE(chooser.requests[0].confirmOverwrite);
    EXPECT_EQ(ReadBytes(target), Pattern(5000, 1));
}

TEST_F(TransferCommandsTest, CopyIntoAFolderCopiesEverySelectedFile) {
    Open();
    AddToDiskette("a.bin", 800);
    AddToDiskette("b.bin", 1800);
    // Two names that show alike: each file keeps a name of its own, and nothing asks to
    // replace a file of this copy.
    AddToDiskette("q\x01", 300);
    AddToDiskette("q?", 400);
    Select({0, 1, 2, 3});
    std::filesystem::create_directory(temp.Path() / "out");
    chooser.replies.push_back({(temp.Path() / "out").string()});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_COPY));
    EXPECT_EQ(chooser.requests[0].kind, FileDialogRequest::Kind::Folder);
    EXPECT_EQ(chooser.requests[0].title, "Select folder where to copy...");
    EXPECT_EQ(ReadBytes(temp.File("out/a.bin")), Pattern(800, 1));
    EXPECT_EQ(ReadBytes(temp.File("out/b.bin")), Pattern(1800, 1));
    EXPECT_EQ(ReadBytes(temp.File("out/q?")), Pattern(400, 1));
    EXPECT_EQ(ReadBytes(temp.File("out/q? #3")), Pattern(300, 1));
    EXPECT_TRUE(user.script.Shown().empty());
}

TEST_F(TransferCommandsTest, CommandsWithoutSelectionSaySo) {
    Open();
    AddToDiskette("a.txt", 100);
    view.clearSelection();
    // Copy and Delete are disabled without a selection; the rule stops them first.
    EXPECT_FALSE(view.Commands().Run(ID_FILE_COPY));
    EXPECT_FALSE(view.Commands().Run(ID_FILE_DELETE));
    EXPECT_TRUE(user.script.Shown().empty());
}

class StartFileTest : public ViewTest {
protected:
    void SetUp() override {
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(QuickFormat(volume, "START"));
    }
};

TEST_F(StartFileTest, TheStartFileIsAddedOneSecondAfterStartUp) {
    const std::string path = HostFile("start.txt", 2500, 7);
    std::vector<QString> statuses;
    QObject::connect(&view, &COrvalisView::statusTextChanged,
                     [&](const QString& text) { statuses.push_back(text); });
    QElapsedTimer clock;
    clock.start();
    view.OnInitialUpdate(path);
    QTest::qWait(700);
    EXPECT_FALSE(view.IsOpen());
    EXPECT_TRUE(doc.Files().empty());
    ASSERT_TRUE(WaitUntil([&] { return !doc.Files().empty(); }, 3000));
    EXPECT_GE(clock.elapsed(), 950);
    EXPECT_TRUE(view.IsOpen());
    EXPECT_EQ(DocNames(), (std::vector<std::string>{"start.txt"}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"start.txt"}));
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses.front(), "Reading diskette, please wait...");
    EXPECT_TRUE(statuses.back().endsWith(" KB free on diskette"));
    // It fires once.
    QTest::qWait(1200);
    EXPECT_EQ(doc.Files().size(), 1u);
    EXPECT_EQ(progress.runs, 1);
}

TEST_F(StartFileTest, ATimerThatReusesTheStartFileTimersIdAddsNothing) {
    view.OnInitialUpdate(HostFile("start.txt", 100));
    ASSERT_TRUE(WaitUntil([&] { return !doc.Files().empty(); }, 3000));
    // Timer ids are recycled at once: after the start-file timer fired, the next timer started
    // anywhere, such as one of the list's own, may get its id. Ticks with any id, then.
    for (int id = 1; id < 1000; ++id) {
        QTimerEvent tick(id);
        QCoreApplication::sendEvent(&view, &tick);
    }
    EXPECT_EQ(doc.Files().size(), 1u);
    EXPECT_EQ(progress.runs, 1);
}

TEST_F(StartFileTest, NothingHappensWithoutAStartFile) {
    view.OnInitialUpdate({});
    QTest::qWait(1300);
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(progress.runs, 0);
}

TEST_F(StartFileTest, AFailedOpenAddsNothing) {
    disk.Drive().Eject();
    view.OnInitialUpdate(HostFile("start.txt", 100));
    ASSERT_TRUE(WaitUntil([&] { return !user.script.Shown().empty(); }, 3000));
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(progress.runs, 0);
}

}  // namespace
}  // namespace orv::tests

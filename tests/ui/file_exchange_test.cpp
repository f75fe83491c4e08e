// Files between the list and the desktop: dropped or pasted files are added with the questions
// of Add...; Ctrl+C copies the selected files out and offers their URLs; Enter copies a file.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "ui/commands/command_ids.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

std::unique_ptr<QMimeData> Urls(const std::vector<std::string>& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
    data->setUrls(urls);
    return data;
}

using FileExchangeTest = ViewTest;

TEST_F(FileExchangeTest, DroppedFilesAreAddedWithTheQuestionsOfAdd) {
    const auto dropped = Urls({HostFile("small.txt", 900), HostFile("huge.bin", 1'600'000)});
    EXPECT_FALSE(view.AddDroppedFiles(*dropped));  // no diskette open: nothing to add to
    Open();
    user.script.Push(Answer::No);  // the huge one does not fit
    ASSERT_TRUE(view.AddDroppedFiles(*dropped));
    EXPECT_EQ(DocNames(), std::vector<std::string>{"small.txt"});
    ASSERT_EQ(user.script.Shown().size(), 1u);
    EXPECT_EQ(user.script.Shown()[0].text.rfind("File " + temp.File("huge.bin"), 0), 0u);

    QMimeData text;
    text.setText("not a file");
    EXPECT_FALSE(view.AddDroppedFiles(text));
}

TEST_F(FileExchangeTest, CopyAndPasteGoThroughTheClipboard) {
    Open();
    AddToDiskette("notes.txt", 3000);
    AddToDiskette("photo.jpg", 20000);
    Select({0, 1});
    ASSERT_TRUE(view.Commands().Run(ID_EDIT_COPY));
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    ASSERT_EQ(copied->urls().size(), 2);
    for (const QUrl& url : copied->urls()) {
        const std::string name = url.fileName().toStdString();
        EXPECT_EQ(ReadBytes(url.toLocalFile().toStdString()), ReadBytes(temp.File(name))) << name;
    }
    EXPECT_TRUE(copied->data("x-special/gnome-copied-files").startsWith("copy\nfile:///"));
    EXPECT_EQ(view.SelectedRows(), (std::vector<int>{0, 1}));  // a copy only reads

    QApplication::clipboard()->setMimeData(Urls({HostFile("pasted.txt", 100)}).release());
    ASSERT_TRUE(view.Commands().Run(ID_EDIT_PASTE));
    EXPECT_EQ(DocNames().back(), "pasted.txt");
}

TEST_F(FileExchangeTest, EnterCopiesTheCurrentFile) {
    Open();
    AddToDiskette("notes.txt", 3000);
    view.setCurrentIndex(view.model()->index(0, 0));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_EQ(chooser.requests.size(), 1u);  // cancelled: nothing more
    EXPECT_EQ(chooser.requests[0].title, "Copy file...");
    EXPECT_EQ(chooser.requests[0].initialName, "notes.txt");
}

}  // namespace
}  // namespace orv::tests

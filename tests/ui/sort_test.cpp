// The file list's own sorting: directions per column kept for the process, stable order for
// equal keys, names as a person orders them, the reverse file-list order of "Attributes", the
// header's indicator, and the selection and order kept through sorting and copying.
#include <QHeaderView>
#include <random>

#include "ui/commands/command_ids.h"
#include "ui/list/file_sort_proxy.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

FileRecord Rec(const std::string& name, std::uint32_t size, std::uint32_t time,
               std::uint16_t number) {
    FileRecord r;
    r.displayName = name;
    r.size = size;
    r.modificationTime = time;
    r.fileNumber = number;
    return r;
}

// The model of the files and the order over it, without a window: what the rows show from
// the top down.
class SortProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSortDirections();
        proxy.setSourceModel(&model);
        model.SetRecords(list);
    }
    void TearDown() override { ResetSortDirections(); }
    void Show(std::vector<FileRecord> records) {
        list = std::move(records);
        model.SetRecords(list);
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> names;
        for (int row = 0; row < proxy.rowCount(); ++row)
            names.push_back(proxy.index(row, COL_NAME).data().toString().toStdString());
        return names;
    }

    std::vector<FileRecord> list = {Rec("beta", 300, 20, 2), Rec("Zulu", 100, 30, 5),
                                    Rec("alpha", 300, 10, 1), Rec("Alpha", 200, 40, 3)};
    CFileListModel model;
    CFileSortProxy proxy;
};

TEST_F(SortProxyTest, TheModelHoldsTheRecordsInListOrderAndTheirTexts) {
    list[0].sizeText = "300";
    list[0].dateText = "1.2.2024 10:00";
    list[0].attributeText = "A";
    list[0].numberText = "2";
    Show(list);
    ASSERT_EQ(model.rowCount(), 4);
    ASSERT_EQ(model.columnCount(), COL_COUNT);
    const char* texts[COL_COUNT] = {"beta", "300", "1.2.2024 10:00", "A", "2"};
    for (int c = 0; c < COL_COUNT; ++c)
        EXPECT_EQ(model.index(0, c).data().toString().toStdString(), texts[c]) << c;
    EXPECT_EQ(model.headerData(COL_DATE, Qt::Horizontal).toString(), "Date and Time");
    EXPECT_EQ(model.headerData(COL_NUMBER, Qt::Horizontal).toString(), "Num. in FAT");
    EXPECT_EQ(
        model.index(0, COL_NAME).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
        Qt::AlignLeft);
    EXPECT_EQ(
        model.index(0, COL_SIZE).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
        Qt::AlignRight);
    EXPECT_EQ(model.RowOf(IdentityOf(list[2])), 2);
    EXPECT_EQ(model.RowOf(IdentityOf(Rec("other", 1, 1, 9))), -1);
    // Unsorted, the rows show the list in reverse: its tail, the newest file, on top.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Alpha", "alpha", "Zulu", "beta"}));
}

TEST_F(SortProxyTest, NamesSortAsAPersonReadsThemAndAlternate) {
    Show({Rec("disk10.img", 1, 1, 1), Rec("Disk2.img", 1, 1, 2), Rec("apple", 1, 1, 3),
          Rec("Banana", 1, 1, 4), Rec("disk1.img", 1, 1, 5),
          Rec("\xC4\x8D"
              "aj",
              1, 1, 6)});
    const std::vector<std::string> upwards = {"apple",
                                              "Banana",
                                              "\xC4\x8D"
                                              "aj",
                                              "disk1.img",
                                              "Disk2.img",
                                              "disk10.img"};
    proxy.SortByColumn(COL_NAME);  // the first click: the greatest name on top
    EXPECT_EQ(Rows(), std::vector<std::string>(upwards.rbegin(), upwards.rend()));
    EXPECT_EQ(proxy.ShownOrder(), Qt::DescendingOrder);
    EXPECT_FALSE(SortAscendingNext(COL_NAME));
    proxy.SortByColumn(COL_NAME);
    EXPECT_EQ(Rows(), upwards);
    EXPECT_EQ(proxy.ShownOrder(), Qt::AscendingOrder);
    EXPECT_TRUE(SortAscendingNext(COL_NAME));
}

TEST(NameOrder, NamesEqualToAPersonStillHaveAnOrder) {
    const CNameOrder order;
    for (auto [a, b] : {std::pair{"README", "readme"}, std::pair{"x01", "x1"}}) {
        EXPECT_NE(order.Compare(a, b), 0) << a;
        EXPECT_EQ(order.Compare(a, b), -order.Compare(b, a)) << a;
    }
    EXPECT_EQ(order.Compare("same", "same"), 0);
}

TEST_F(SortProxyTest, EqualKeysStandInReverseListOrder) {
    proxy.SortByColumn(COL_SIZE);  // the largest on top; of beta and alpha the later is upper
    EXPECT_EQ(Rows(), (std::vector<std::string>{"alpha", "beta", "Alpha", "Zulu"}));
    proxy.SortByColumn(COL_SIZE);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Zulu", "Alpha", "alpha", "beta"}));
}

TEST_F(SortProxyTest, NumberBeginsWithTheSmallestOnTopAndAttributesChangeNoFlag) {
    proxy.SortByColumn(COL_NUMBER);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"alpha", "beta", "Alpha", "Zulu"}));
    proxy.SortByColumn(COL_DATE);  // the newest on top
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Alpha", "Zulu", "beta", "alpha"}));
    const bool before[] = {SortAscendingNext(COL_NAME), SortAscendingNext(COL_SIZE),
                           SortAscendingNext(COL_DATE), SortAscendingNext(COL_NUMBER)};
    proxy.SortByColumn(COL_ATTRIBUTES);
    EXPECT_EQ(proxy.SortColumn(), -1);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Alpha", "alpha", "Zulu", "beta"}));
    const bool after[] = {SortAscendingNext(COL_NAME), SortAscendingNext(COL_SIZE),
                          SortAscendingNext(COL_DATE), SortAscendingNext(COL_NUMBER)};
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)));
}

TEST_F(SortProxyTest, AnEmptyListStillFlipsTheDirection) {
    Show({});
    proxy.SortByColumn(COL_SIZE);
    EXPECT_FALSE(SortAscendingNext(COL_SIZE));
}

// What the rows should show: the records sorted stably in the column's direction (the list
// itself for no sort), from the last to the first.
std::vector<std::string> Expected(const std::vector<FileRecord>& list, int column, bool ascending) {
    std::vector<const FileRecord*> sorted;
    for (const FileRecord& r : list) sorted.push_back(&r);
    const CNameOrder names;
    auto key = [&](const FileRecord* a, const FileRecord* b) {
        switch (column) {
            case COL_NAME:
                return names.Compare(a->displayName, b->displayName) < 0;
            case COL_SIZE:
                return a->size < b->size;
            case COL_DATE:
                return a->modificationTime < b->modificationTime;
            default:
                return a->fileNumber < b->fileNumber;
        }
    };
    if (column >= 0)
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&](const FileRecord* a, const FileRecord* b) {
                             return ascending ? key(a, b) : key(b, a);
                         });
    std::vector<std::string> names_shown;
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
        names_shown.push_back((*it)->displayName);
    return names_shown;
}

TEST_F(SortProxyTest, RandomClicksAndListsFollowTheModelOfTheOrder) {
    std::mt19937 random(20240611);
    const char* stems[] = {"a", "B", "disk", "Disk", "\xC4\x8D", "z9", "z10"};
    bool flags[COL_COUNT] = {true, true, true, false, false};
    int column = -1;
    bool ascending = false;
    for (int step = 0; step < 400; ++step) {
        if (random() % 5 == 0) {
            // A fresh reading of the list: sizes, times and names with many ties.
            std::vector<FileRecord> records;
            const int count = int(random() % 9);
            for (int i = 0; i < count; ++i)
                records.push_back(
                    Rec(std::string(stems[random() % 7]) + std::to_string(random() % 3),
                        std::uint32_t(random() % 4), std::uint32_t(random() % 3),
                        std::uint16_t(i + 1 + int(random() % 2) * 1000)));
            Show(records);
        } else {
            const int clicked = int(random() % COL_COUNT);
            proxy.SortByColumn(clicked);
            if (clicked == COL_ATTRIBUTES) {
                column = -1;
            } else {
                column = clicked;
                ascending = flags[clicked];
                flags[clicked] = !flags[clicked];
            }
        }
        SCOPED_TRACE(step);
        ASSERT_EQ(Rows(), Expected(list, column, ascending));
        ASSERT_EQ(proxy.SortColumn(), column);
        for (int c = 0; c < COL_COUNT; ++c)
            if (c != COL_ATTRIBUTES) {
                ASSERT_EQ(SortAscendingNext(c), flags[c]) << c;
            }
    }
}

class ViewSortTest : public ViewTest {
protected:
    void SetUp() override {
        ResetSortDirections();
        ViewTest::SetUp();
    }
    void TearDown() override { ResetSortDirections(); }
};

TEST_F(ViewSortTest, HeaderClicksSortTheRows) {
    Open();
    AddToDiskette("b.txt", 500);
    AddToDiskette("C.txt", 900);
    AddToDiskette("a.txt", 500);
    // Every rebuild shows the file list in reverse: the newest file on top.
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"a.txt", "C.txt", "b.txt"}));
    EXPECT_EQ(view.header()->sortIndicatorSection(), -1);

    view.SortByColumn(COL_NAME);  // first click: the greatest name on top
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));
    EXPECT_EQ(view.header()->sortIndicatorSection(), COL_NAME);
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    view.SortByColumn(COL_NAME);
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"a.txt", "b.txt", "C.txt"}));
    EXPECT_EQ(view.header()->sortIndicatorOrder(), Qt::AscendingOrder);

    // Size: the largest on top; of the two equal sizes the one nearer the list's tail is upper.
    view.SortByColumn(COL_SIZE);
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"C.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(Column(COL_SIZE), (std::vector<std::string>{"900", "500", "500"}));

    // Attributes restores the reverse file-list order, which no indicator marks.
    view.SortByColumn(COL_ATTRIBUTES);
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"a.txt", "C.txt", "b.txt"}));
    EXPECT_EQ(view.header()->sortIndicatorSection(), -1);

    // Num. in FAT begins with the smallest number on top.
    view.SortByColumn(COL_NUMBER);
    EXPECT_EQ(Column(COL_NUMBER), (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(ViewSortTest, SortingAndCopyingKeepTheSelectedFiles) {
    Open();
    for (const char* name : {"one", "two", "three", "four"}) AddToDiskette(name, 700);
    view.SortByColumn(COL_NAME);  // four, one, three, two from the top: greatest on top
    ASSERT_EQ(Column(COL_NAME), (std::vector<std::string>{"two", "three", "one", "four"}));
    Select({0, 2});
    view.SortByColumn(COL_NAME);
    ASSERT_EQ(Column(COL_NAME), (std::vector<std::string>{"four", "one", "three", "two"}));
    std::vector<std::string> selected;
    for (int row : view.SelectedRows()) selected.push_back(Column(COL_NAME)[std::size_t(row)]);
    EXPECT_EQ(selected, (std::vector<std::string>{"one", "two"}));

    // A copy only reads: the order, the indicator and the selection stay; an add rebuilds.
    Select({2});
    chooser.replies.push_back({temp.File("copied")});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_COPY));
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"four", "one", "three", "two"}));
    EXPECT_EQ(view.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(view.header()->sortIndicatorSection(), COL_NAME);
    chooser.replies.push_back({HostFile("five", 10)});
    ASSERT_TRUE(view.Commands().Run(ID_FILE_ADD));
    EXPECT_EQ(Column(COL_NAME).front(), "five");
    EXPECT_EQ(view.header()->sortIndicatorSection(), -1);
}

TEST_F(ViewSortTest, AClickWhileClosedFlipsTheDirectionOnly) {
    view.SortByColumn(COL_NAME);
    EXPECT_EQ(view.RowCount(), 0);
    Open();
    AddToDiskette("b.txt", 10);
    AddToDiskette("a.txt", 10);
    AddToDiskette("c.txt", 10);
    view.SortByColumn(COL_NAME);  // the second click overall: smallest on top
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

}  // namespace
}  // namespace orv::tests

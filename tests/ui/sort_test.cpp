// The file list's own sorting: directions per column kept for the process, stable order for
// equal keys, names as a person orders them, the reverse file-list order of "Attributes", the
// header's indicator, and the selection and order kept through sorting and copying.
#include <QHeaderView>

#include "ui/frame/command_ids.h"
#include "ui/view/record_sort.h"
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

std::vector<std::string> Names(const std::vector<const FileRecord*>& records) {
    std::vector<std::string> names;
    for (const FileRecord* r : records) names.push_back(r->displayName);
    return names;
}

class SortRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSortDirections(); }
    void TearDown() override { ResetSortDirections(); }
    std::vector<const FileRecord*> InListOrder() {
        std::vector<const FileRecord*> p;
        for (const FileRecord& r : list) p.push_back(&r);
        return p;
    }
    std::vector<FileRecord> list = {Rec("beta", 300, 20, 2), Rec("Zulu", 100, 30, 5),
                                    Rec("alpha", 300, 10, 1), Rec("Alpha", 200, 40, 3)};
};

TEST_F(SortRecordsTest, NamesSortAsAPersonReadsThemAndAlternate) {
    list = {Rec("disk10.img", 1, 1, 1),
            Rec("Disk2.img", 1, 1, 2),
            Rec("apple", 1, 1, 3),
            Rec("Banana", 1, 1, 4),
            Rec("disk1.img", 1, 1, 5),
            Rec("\xC4\x8D"
                "aj",
                1, 1, 6)};
    auto records = InListOrder();
    SortRecords(records, COL_NAME);
    const std::vector<std::string> upwards = {"apple",
                                              "Banana",
                                              "\xC4\x8D"
                                              "aj",
                                              "disk1.img",
                                              "Disk2.img",
                                              "disk10.img"};
    EXPECT_EQ(Names(records), upwards);
    EXPECT_FALSE(SortAscendingNext(COL_NAME));
    SortRecords(records, COL_NAME);
    EXPECT_EQ(Names(records), std::vector<std::string>(upwards.rbegin(), upwards.rend()));
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

TEST_F(SortRecordsTest, EqualKeysKeepTheirListOrder) {
    auto records = InListOrder();
    SortRecords(records, COL_SIZE);
    EXPECT_EQ(Names(records), (std::vector<std::string>{"Zulu", "Alpha", "beta", "alpha"}));
    SortRecords(records = InListOrder(), COL_SIZE);  // now descending: beta still before alpha
    EXPECT_EQ(Names(records), (std::vector<std::string>{"beta", "alpha", "Alpha", "Zulu"}));
}

TEST_F(SortRecordsTest, NumberBeginsDescendingAndAttributesChangeNothing) {
    auto records = InListOrder();
    SortRecords(records, COL_NUMBER);
    EXPECT_EQ(Names(records), (std::vector<std::string>{"Zulu", "Alpha", "beta", "alpha"}));
    records = InListOrder();
    SortRecords(records, COL_DATE);
    EXPECT_EQ(Names(records), (std::vector<std::string>{"alpha", "beta", "Zulu", "Alpha"}));
    const bool before[] = {SortAscendingNext(COL_NAME), SortAscendingNext(COL_SIZE),
                           SortAscendingNext(COL_DATE), SortAscendingNext(COL_NUMBER)};
    records = InListOrder();
    SortRecords(records, COL_ATTRIBUTES);
    EXPECT_EQ(Names(records), Names(InListOrder()));
    const bool after[] = {SortAscendingNext(COL_NAME), SortAscendingNext(COL_SIZE),
                          SortAscendingNext(COL_DATE), SortAscendingNext(COL_NUMBER)};
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)));
}

TEST_F(SortRecordsTest, AnEmptyListStillFlipsTheDirection) {
    std::vector<const FileRecord*> none;
    SortRecords(none, COL_SIZE);
    EXPECT_FALSE(SortAscendingNext(COL_SIZE));
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
    ASSERT_TRUE(view.ExecuteCommand(ID_FILE_COPY));
    EXPECT_EQ(Column(COL_NAME), (std::vector<std::string>{"four", "one", "three", "two"}));
    EXPECT_EQ(view.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(view.header()->sortIndicatorSection(), COL_NAME);
    chooser.replies.push_back({HostFile("five", 10)});
    ASSERT_TRUE(view.ExecuteCommand(ID_FILE_ADD));
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

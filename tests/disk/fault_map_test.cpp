#include <gtest/gtest.h>

#include "disk/fault_map.h"

namespace orv {
namespace {

TEST(FaultMap, ParsesEntriesRangesCommentsAndBlankLines) {
    const std::string text =
        "# worn diskette\n"
        "\n"
        "unreadable 10-12   # scratch\n"
        "unwritable 0\r\n"
        "   bad 2879\n"
        "write-protected\n";
    FaultMap map;
    std::string error;
    ASSERT_TRUE(FaultMap::Parse(text, "d.img.faults", map, error)) << error;
    EXPECT_EQ(map.At(9), Fault::None);
    EXPECT_EQ(map.At(10), Fault::Unreadable);
    EXPECT_EQ(map.At(12), Fault::Unreadable);
    EXPECT_EQ(map.At(13), Fault::None);
    EXPECT_EQ(map.At(0), Fault::Unwritable);
    EXPECT_EQ(map.At(2879), Fault::Bad);
    EXPECT_TRUE(map.WriteProtected());
    EXPECT_TRUE(map.BlocksRead(8, 3));
    EXPECT_FALSE(map.BlocksRead(13, 5));
    EXPECT_TRUE(map.BlocksWrite(100, 1));  // write protection covers everything
}

TEST(FaultMap, MalformedLineIsRefusedWithFileAndLine) {
    for (const std::string bad :
         {"bad", "bad 2880", "bad -1", "bad 5-3", "bad 5-", "bad -5", "bad 5 6", "bad 0x10",
          "bad 5-2880", "worn 5", "Bad 5", "write-protected 3", "unreadable 1.5"}) {
        FaultMap map;
        map.Set(7, Fault::Bad);
        std::string error;
        EXPECT_FALSE(
            FaultMap::Parse("# header\nunreadable 1\n" + bad + "\n", "x.img.faults", map, error))
            << bad;
        EXPECT_EQ(error.rfind("x.img.faults:3:", 0), 0u) << bad << " -> " << error;
        EXPECT_EQ(map.At(7), Fault::Bad) << "a refused sidecar leaves the map as it was";
        EXPECT_EQ(map.At(1), Fault::None);
    }
}

TEST(FaultMap, FormatReadsBackAsTheSameMap) {
    FaultMap map;
    map.SetRange(0, 3, Fault::Bad);
    map.Set(64, Fault::Unreadable);
    map.SetRange(2870, 2879, Fault::Unwritable);
    map.SetWriteProtected(true);
    FaultMap back;
    std::string error;
    ASSERT_TRUE(FaultMap::Parse(map.Format(), "f", back, error)) << error;
    EXPECT_TRUE(back.WriteProtected());
    for (int s = 0; s < kSectorCount; ++s) ASSERT_EQ(back.At(s), map.At(s)) << s;
    EXPECT_TRUE(FaultMap().Empty());
    EXPECT_EQ(FaultSidecarPath("dir/disk.img"), "dir/disk.img.faults");
}

}  // namespace
}  // namespace orv

#include <gtest/gtest.h>

#include "disk/geometry.h"

namespace orv {
namespace {

TEST(Geometry, LogicalSectorsMapToCylinderHeadSector) {
    struct Case {
        int l, c, h, s;
    };
    for (Case k : {Case{0, 0, 0, 1}, Case{17, 0, 0, 18}, Case{18, 0, 1, 1}, Case{36, 1, 0, 1},
                   Case{2879, 79, 1, 18}}) {
        const Chs chs = ToChs(k.l);
        EXPECT_EQ(chs.cylinder, k.c) << k.l;
        EXPECT_EQ(chs.head, k.h) << k.l;
        EXPECT_EQ(chs.sector, k.s) << k.l;
        EXPECT_EQ(FromChs(chs), k.l);
    }
}

TEST(Geometry, OutOfRangeSectorsGiveSectorZero) {
    EXPECT_EQ(ToChs(-1).sector, 0);
    EXPECT_EQ(ToChs(2880).sector, 0);
    for (int l = 0; l < kSectorCount; ++l) ASSERT_EQ(FromChs(ToChs(l)), l);
    for (Chs off : {Chs{80, 0, 1}, Chs{0, 2, 1}, Chs{0, 0, 0}, Chs{0, 0, 19}, Chs{-1, 0, 1}})
        EXPECT_FALSE(FromChs(off).has_value())
            << off.cylinder << "/" << off.head << "/" << off.sector;
}

}  // namespace
}  // namespace orv

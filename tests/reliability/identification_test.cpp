// The identification matrix: each of the three ID sectors and the reserve copy intact or
// unreadable (16 ways), times each table copy intact, unreadable or holding values outside the
// value set (9 ways), for opening, the system parts test and the full test.
#include <gtest/gtest.h>

#include "fs/layout.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "reliability/operations.h"

namespace orv::reliability {
namespace {

enum class Copy { Intact, Unreadable, Invalid };
const char* CopyName(Copy c) {
    return c == Copy::Intact ? "intact" : c == Copy::Unreadable ? "unreadable" : "invalid";
}

struct Damage {
    int idMask = 0;  // bit i: ID sector i + 1 unreadable; bit 3: the reserve copy unreadable
    Copy copy1 = Copy::Intact;
    Copy copy2 = Copy::Intact;

    std::string Describe() const {
        std::string d = "unreadable:";
        for (int i = 0; i < 3; ++i)
            if (idMask & (1 << i)) d += " ID" + std::to_string(i + 1);
        if (idMask & 8) d += " reserve";
        return d + "; copy 1 " + CopyName(copy1) + ", copy 2 " + CopyName(copy2);
    }
    int IntactIds() const { return 3 - __builtin_popcount(unsigned(idMask & 7)); }
    bool ReserveIntact() const { return !(idMask & 8); }
};

void DamageCopy(MemoryMedium& medium, const FatPositions& positions, Copy copy) {
    for (int sector : positions) {
        if (copy == Copy::Unreadable) medium.Faults().Set(sector, Fault::Unreadable);
        if (copy == Copy::Invalid) std::fill_n(medium.SectorData(sector), kSectorSize, 0xEE);
    }
}

Medium Damaged(const BaseDiskette& base, const Damage& d) {
    Medium m = Clone(*base.medium);
    // A quick format of a blank diskette: ID sectors 1..3, copy 1 in 4..14, copy 2 in 15..25.
    FatPositions copy1{}, copy2{};
    for (int k = 0; k < kFatSectorCount; ++k) {
        copy1[std::size_t(k)] = std::uint16_t(4 + k);
        copy2[std::size_t(k)] = std::uint16_t(15 + k);
    }
    for (int i = 0; i < 3; ++i)
        if (d.idMask & (1 << i)) m->Faults().Set(i + 1, Fault::Unreadable);
    if (d.idMask & 8) m->Faults().Set(kReserveIdSector, Fault::Unreadable);
    DamageCopy(*m, copy1, d.copy1);
    DamageCopy(*m, copy2, d.copy2);
    return m;
}

// What the system parts test finds. A missing ID sector's place is offered to the next
// readable sector, which is given up again when it holds a table sector: too few ID sectors,
// unless no table sector can be read at all.
int ExpectedPartsCode(const Damage& d) {
    const bool bad1 = d.copy1 != Copy::Intact, bad2 = d.copy2 != Copy::Intact;
    if (d.IntactIds() == 0) return d.ReserveIntact() ? PARTS_RESERVE_ONLY : PARTS_NOT_FORMATTED;
    if (d.IntactIds() < 3)
        return d.copy1 == Copy::Unreadable && d.copy2 == Copy::Unreadable ? PARTS_FAT_UNREADABLE
                                                                          : PARTS_TOO_FEW_IDS;
    if (bad1 && bad2) return PARTS_FAT_UNREADABLE;
    // A copy that reads but holds values outside the set differs from the good one; a copy
    // that cannot be read is left out of the comparison.
    if (d.copy1 == Copy::Invalid || d.copy2 == Copy::Invalid) return PARTS_COPIES_DIFFER;
    return PARTS_SOUND;
}

int ExpectedOpenCode(const Damage& d) {
    if (d.IntactIds() == 0) return -1;
    if (d.copy1 != Copy::Intact && d.copy2 != Copy::Intact) return -2;
    return 0;
}

TEST(IdentificationMatrix, OpenSystemPartsTestAndFullTest) {
    const BaseDiskette base = MakeBase();
    long cases = 0;
    for (int mask = 0; mask < 16; ++mask) {
        for (Copy c1 : {Copy::Intact, Copy::Unreadable, Copy::Invalid}) {
            for (Copy c2 : {Copy::Intact, Copy::Unreadable, Copy::Invalid}) {
                const Damage d{mask, c1, c2};
                SCOPED_TRACE(d.Describe());
                const Medium m = Damaged(base, d);

                const ReadBack opened = ReadBackDiskette(m, false);
                EXPECT_EQ(opened.openCode, ExpectedOpenCode(d));
                if (opened.openCode == 0) {
                    EXPECT_EQ(Check(opened, {base.files, {}}), "");
                }
                EXPECT_EQ(RunSystemPartsTest(m), ExpectedPartsCode(d));

                // The full test brings every file back, whatever was lost of the system area.
                const WorkerOutcome full = RunFullTest(m);
                EXPECT_EQ(full.result, 0) << ::testing::PrintToString(full.messages);
                const ReadBack after = ReadBackDiskette(m, false);
                EXPECT_EQ(Check(after, {base.files, {}}), "");
                EXPECT_EQ(RunSystemPartsTest(m), PARTS_SOUND);
                ++cases;
                if (::testing::Test::HasFailure()) return;
            }
        }
    }
    ReportFigure("identification_cases", cases);
}

}  // namespace
}  // namespace orv::reliability

// Opening a diskette for its files: every state an open can end in, what it found on the way
// (the signature, files whose header does not read, the copies of the table differing), and
// the question about a diskette without the signature.
#include "fs/diskette_open.h"
#include "support/volume_fixture.h"

namespace orv::tests {
namespace {

class DisketteOpen : public VolumeTest {
protected:
    // Two files: number 1 of 5 000 bytes in units 0..9, number 2 of 100 bytes in unit 10.
    void SetUp() override {
        Format("STATES");
        std::vector<int> first(10);
        for (int i = 0; i < 10; ++i) first[std::size_t(i)] = kFirstDataSector + i;
        disk.PutFile(volume, MakeRecord(1, "file1", "bin", 5000), first, Pattern(5000, 1));
        disk.PutFile(volume, MakeRecord(2, "file2", "bin", 100), {kFirstDataSector + 10},
                     Pattern(100, 2));
        ASSERT_GE(volume.WriteFat(), 0);
    }

    // A fresh volume opened on the diskette; asked counts the questions about the signature.
    OpenEnd Open(DisketteListing& listing, int* asked = nullptr, bool goOn = true) {
        CVolume fresh(&disk.Drive());
        return OpenDisketteFiles(fresh, listing, [&] {
            if (asked) ++*asked;
            return goOn;
        });
    }
};

TEST_F(DisketteOpen, EndsInEachStateAsFarAsTheSystemAreaReads) {
    struct Case {
        const char* what;
        int first, last;  // unreadable sectors; first < 0: none
        OpenEnd end;
        std::size_t files;
        bool headersUnreadable;
    };
    const Case cases[] = {
        {"sound", -1, -1, OpenEnd::Opened, 2, false},
        {"file 2's header", kFirstDataSector + 10, kFirstDataSector + 10, OpenEnd::Opened, 1, true},
        {"sector 0", 0, 0, OpenEnd::Sector0Unreadable, 0, false},
        {"the ID sectors", 1, 3, OpenEnd::NoIdSectors, 0, false},
        {"both table copies", 4, 25, OpenEnd::TableUnreadable, 0, false},
    };
    for (const Case& c : cases) {
        if (c.first >= 0) disk.Faults().SetRange(c.first, c.last, Fault::Unreadable);
        DisketteListing listing;
        int asked = 0;
        EXPECT_EQ(Open(listing, &asked), c.end) << c.what;
        EXPECT_EQ(listing.files.size(), c.files) << c.what;
        EXPECT_EQ(listing.headersUnreadable, c.headersUnreadable) << c.what;
        EXPECT_EQ(listing.signature, c.end != OpenEnd::Sector0Unreadable) << c.what;
        EXPECT_EQ(asked, 0) << c.what;
        EXPECT_EQ(Listed(c.end), c.files > 0) << c.what;
        disk.Faults().Clear();
    }
    disk.Drive().Eject();
    DisketteListing listing;
    EXPECT_EQ(Open(listing), OpenEnd::Sector0Unreadable);
}

TEST_F(DisketteOpen, TableCopiesThatDifferAreSettledFromTheUnits) {
    // Copy 2 lost a unit of file 1: a table write cut short between the copies.
    SectorImage fat2 = disk.Raw(volume.Fat().pos2[0]);
    PutU16(fat2.data() + 2 * 5, FAT_FREE);
    disk.PutRaw(volume.Fat().pos2[0], fat2);
    DisketteListing listing;
    CVolume fresh(&disk.Drive());
    EXPECT_EQ(OpenDisketteFiles(fresh, listing), OpenEnd::CopiesDiffer);
    EXPECT_EQ(listing.files.size(), 2u);  // file 1's own units confirm all ten
    EXPECT_TRUE(listing.unsettled.empty());
    EXPECT_EQ(fresh.Fat().entries[5], 1);
    // Reading again finds the same, and keeps what the open knew of the signature.
    listing.signature = false;
    EXPECT_EQ(ReadDisketteFiles(fresh, listing), OpenEnd::CopiesDiffer);
    EXPECT_FALSE(listing.signature);
    EXPECT_EQ(listing.files.size(), 2u);
}

TEST_F(DisketteOpen, ADisketteWithoutTheSignatureIsOpenedOnlyWhenTheCallerGoesOn) {
    disk.PutRaw(kBootSector, SectorImage{});  // readable, but not ours
    DisketteListing listing;
    int asked = 0;
    EXPECT_EQ(Open(listing, &asked, false), OpenEnd::Declined);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(listing.signature);
    EXPECT_TRUE(listing.files.empty());

    // Going on finds the ID sectors and the files all the same.
    EXPECT_EQ(Open(listing, &asked, true), OpenEnd::Opened);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(listing.signature);
    EXPECT_EQ(listing.files.size(), 2u);

    // Nobody to ask: the open goes on.
    CVolume fresh(&disk.Drive());
    EXPECT_EQ(OpenDisketteFiles(fresh, listing), OpenEnd::Opened);

    // A blank diskette has no ID sectors to find.
    disk.Faults().Clear();
    for (int s = 1; s < kFirstDataSector; ++s) disk.PutRaw(s, SectorImage{});
    EXPECT_EQ(Open(listing, &asked, true), OpenEnd::NoIdSectors);
    EXPECT_FALSE(listing.signature);
}

}  // namespace
}  // namespace orv::tests

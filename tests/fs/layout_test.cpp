// Byte-exact records of the diskette format and its arithmetic.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "fs/layout.h"
#include "fs/volume.h"

namespace orv {
namespace {

using Sector = std::array<std::uint8_t, kSectorSize>;

TEST(BootRecord, IsTheDosBootSectorWithTheSignature) {
    const std::uint8_t expected[64] = {
        0xEB, 0x3E, 0x90, 'H',  'L',  'V',  'R',  'N',  'I',  'H',  'C',  0x00, 0x02,
        0x01, 0x01, 0x00, 0x02, 0xE0, 0x00, 0x40, 0x0B, 0xF0, 0x09, 0x00, 0x12, 0x00,
        0x02, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x29,
        0x51, 0x3C, 0x03, 0x1A, 'H',  'A',  'L',  'V',  'O',  'R',  'N',  ' ',  ' ',
        ' ',  ' ',  'F',  'A',  'T',  '1',  '2',  ' ',  ' ',  ' ',  0xF1, 0x7D};
    Sector s;
    s.fill(0xCC);
    BuildBootRecord(s.data());
    EXPECT_EQ(std::memcmp(s.data(), expected, sizeof expected), 0);
    EXPECT_TRUE(BootHasSignature(s.data()));
    s[7] = 'X';  // "HLVRX"
    EXPECT_FALSE(BootHasSignature(s.data()));
}

TEST(IdRecord, FieldsSitAtTheirOffsets) {
    IdRecord r;
    r.flag = true;
    r.label = "SIXTEEN-CHARS-XY";  // exactly 16: no terminator
    r.text = "notes";
    r.stampTime = 0x11223344;
    for (int k = 0; k < kFatSectorCount; ++k) {
        r.fat1[k] = std::uint16_t(4 + k);
        r.fat2[k] = std::uint16_t(0x0100 + k);
    }
    Sector s;
    s.fill(0xCC);
    BuildIdRecord(r, s.data());
    EXPECT_EQ(std::memcmp(s.data(), "HLVRN", 5), 0);
    EXPECT_EQ(s[5], 1);
    EXPECT_EQ(s[6], 0);
    EXPECT_EQ(std::memcmp(s.data() + 7, "SIXTEEN-CHARS-XY", 16), 0);
    EXPECT_EQ(std::memcmp(s.data() + 23, "notes", 6), 0);  // NUL-padded
    EXPECT_EQ(s[277], 0);
    EXPECT_EQ(s[278], 0x44);
    EXPECT_EQ(s[281], 0x11);
    EXPECT_EQ(s[460], 4);
    EXPECT_EQ(s[461], 0);
    EXPECT_EQ(s[480], 14);
    EXPECT_EQ(s[482], 0x00);
    EXPECT_EQ(s[483], 0x01);
    EXPECT_EQ(s[502], 10);

    IdRecord back;
    ASSERT_TRUE(ParseIdRecordBytes(s.data(), back));
    EXPECT_TRUE(back.flag);
    EXPECT_EQ(back.label, "SIXTEEN-CHARS-XY");
    EXPECT_EQ(back.text, "notes");
    EXPECT_EQ(back.stampTime, 0x11223344u);
    EXPECT_EQ(back.fat1, r.fat1);
    EXPECT_EQ(back.fat2, r.fat2);
}

TEST(IdRecord, LongFieldsAreCutAndOnlyFlagWordOneIsSet) {
    IdRecord r;
    r.label = "A-LABEL-OF-TWENTY-CH";
    r.text = std::string(300, 't');
    Sector s;
    BuildIdRecord(r, s.data());
    EXPECT_EQ(s[5], 0);
    EXPECT_EQ(s[23 + 254], 't');
    EXPECT_EQ(s[278], 0) << "the text must not run into the stamp time";

    IdRecord back;
    ASSERT_TRUE(ParseIdRecordBytes(s.data(), back));
    EXPECT_EQ(back.label, "A-LABEL-OF-TWENT");
    EXPECT_EQ(back.text.size(), 255u);

    PutU16(s.data() + 5, 2);
    ASSERT_TRUE(ParseIdRecordBytes(s.data(), back));
    EXPECT_FALSE(back.flag);
    s[0] = 'h';
    EXPECT_FALSE(ParseIdRecordBytes(s.data(), back));
}

TEST(FatSector, ValueSet) {
    for (int v : {0, 1, 2816, 10001, 12816, 30001, 31001})
        EXPECT_TRUE(IsValidFatValue(std::uint16_t(v))) << v;
    for (int v : {2817, 10000, 12817, 29999, 30000, 30002, 31000, 31002, 32001, 32002, 65535})
        EXPECT_FALSE(IsValidFatValue(std::uint16_t(v))) << v;
}

TEST(FatSector, OneForeignValueInvalidatesTheWholeSector) {
    std::array<std::uint16_t, kEntriesPerFatSector> entries{}, decoded{};
    for (int i = 0; i < kEntriesPerFatSector; ++i) entries[i] = std::uint16_t(i % 7 ? i : 31001);
    Sector s;
    EncodeFatSector(entries.data(), s.data());
    EXPECT_EQ(s[2 * 255], 255);
    EXPECT_EQ(s[0], 31001 & 0xFF);
    EXPECT_EQ(s[1], 31001 >> 8);
    ASSERT_TRUE(DecodeFatSector(s.data(), decoded.data()));
    EXPECT_EQ(decoded, entries);

    decoded.fill(5);
    PutU16(s.data() + 2 * 200, 29999);
    EXPECT_FALSE(DecodeFatSector(s.data(), decoded.data()));
    EXPECT_EQ(decoded[0], 5) << "a refused sector leaves the entries alone";
}

TEST(Capacity, UnitsAndBytes) {
    EXPECT_EQ(BytesInUnits(0), 0);
    EXPECT_EQ(BytesInUnits(1), 448);
    EXPECT_EQ(BytesInUnits(2), 955);
    EXPECT_EQ(BytesInUnits(2816), 2816 * 507 - 59);
    EXPECT_EQ(UnitsForBytes(0), 1);
    EXPECT_EQ(UnitsForBytes(448), 1);
    EXPECT_EQ(UnitsForBytes(449), 2);
    EXPECT_EQ(UnitsForBytes(955), 2);
    EXPECT_EQ(UnitsForBytes(956), 3);
    EXPECT_EQ(kDataAreaBytes, 1427712);
    // The two agree everywhere: b bytes fit in UnitsForBytes(b) units, and not in one fewer.
    for (std::int32_t b = 0; b < 20000; ++b) {
        const std::int32_t n = UnitsForBytes(b);
        ASSERT_GE(BytesInUnits(n), b) << b;
        if (n > 1) {
            ASSERT_LT(BytesInUnits(n - 1), b) << b;
        }
    }
}

TEST(FileHeader, FullWidthFieldsHaveNoTerminator) {
    FileRecord r;
    r.fileNumber = 0x0102;
    r.extension = "txt";
    r.partNumber = 0;
    r.name = std::string(49, 'n');
    r.size = 0xA1B2C3D4;
    r.modificationTime = 0x01020304;
    r.attributes = 0x21;
    Sector unit;
    unit.fill(0xCC);
    CVolume::BuildHeader(r, unit.data());
    EXPECT_EQ(unit[0], 0x02);
    EXPECT_EQ(unit[1], 0x01);
    EXPECT_EQ(std::memcmp(unit.data() + 2, "txt", 3), 0);
    EXPECT_EQ(unit[5], 0);
    EXPECT_EQ(unit[6], 'n');
    EXPECT_EQ(unit[54], 'n');
    EXPECT_EQ(GetU32(unit.data() + 55), 0xA1B2C3D4u);
    EXPECT_EQ(GetU32(unit.data() + 59), 0x01020304u);
    EXPECT_EQ(unit[63], 0x21);
    EXPECT_EQ(unit[64], 0xCC) << "data bytes belong to the caller";

    r.extension.clear();
    r.name = "readme";
    CVolume::BuildHeader(r, unit.data());
    EXPECT_EQ(unit[2], 0);
    EXPECT_EQ(std::memcmp(unit.data() + 6, "readme\0", 7), 0);

    Sector further;
    further.fill(0xCC);
    r.extension = "gz";
    CVolume::BuildUnitHeader(r, further.data());
    EXPECT_EQ(GetU16(further.data()), 0x0102);
    EXPECT_EQ(std::memcmp(further.data() + 2, "gz\0", 3), 0);
    EXPECT_EQ(further[5], 0xCC);
}

}  // namespace
}  // namespace orv

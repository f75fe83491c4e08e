// The fault model that the image and the in-memory diskette share.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "disk/image_medium.h"
#include "disk/memory_medium.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::ReadBytes;
using tests::TempDir;
using tests::WriteText;

using Bytes = std::vector<std::uint8_t>;

Bytes Filled(int sectors, std::uint8_t value) {
    return Bytes(std::size_t(sectors) * kSectorSize, value);
}

struct MemoryKind {
    std::shared_ptr<MemoryMedium> medium;
    std::shared_ptr<IMedium> Make(const std::string& faults) {
        medium = std::make_shared<MemoryMedium>();
        std::string error;
        EXPECT_TRUE(FaultMap::Parse(faults, "memory", medium->Faults(), error)) << error;
        return medium;
    }
    std::uint8_t RawByte(int sector) { return medium->SectorData(sector)[0]; }
};

struct ImageKind {
    TempDir dir;
    std::string path = dir.File("disk.img");
    std::shared_ptr<IMedium> Make(const std::string& faults) {
        std::string error;
        EXPECT_TRUE(CreateBlankImage(path, error)) << error;
        WriteText(path + ".faults", faults);
        auto image = std::make_shared<ImageMedium>();
        EXPECT_TRUE(image->Load(path, error)) << error;
        return image;
    }
    std::uint8_t RawByte(int sector) {
        return ReadBytes(path).at(std::size_t(sector) * kSectorSize);
    }
};

template <typename Kind>
class FaultModel : public ::testing::Test {
protected:
    Kind kind;
};

using Kinds = ::testing::Types<MemoryKind, ImageKind>;
TYPED_TEST_SUITE(FaultModel, Kinds);

TYPED_TEST(FaultModel, UnreadableSectorStoresWritesButKeepsFailingReads) {
    auto medium = this->kind.Make("unreadable 10\n");
    auto data = Filled(1, 0x42);
    EXPECT_TRUE(medium->Write(10, 1, data.data()));
    EXPECT_EQ(this->kind.RawByte(10), 0x42);
    EXPECT_FALSE(medium->Read(10, 1, data.data()));
    EXPECT_TRUE(medium->Read(11, 1, data.data()));
}

TYPED_TEST(FaultModel, UnwritableSectorKeepsItsDataAndStillReads) {
    auto medium = this->kind.Make("unwritable 20");
    auto data = Filled(1, 0x42);
    EXPECT_FALSE(medium->Write(20, 1, data.data()));
    EXPECT_EQ(this->kind.RawByte(20), 0);
    EXPECT_TRUE(medium->Read(20, 1, data.data()));
    EXPECT_EQ(data[0], 0);
}

TYPED_TEST(FaultModel, BadSectorRefusesBoth) {
    auto medium = this->kind.Make("bad 30");
    auto data = Filled(1, 0x42);
    EXPECT_FALSE(medium->Write(30, 1, data.data()));
    EXPECT_FALSE(medium->Read(30, 1, data.data()));
    EXPECT_EQ(this->kind.RawByte(30), 0);
}

TYPED_TEST(FaultModel, WriteProtectionRefusesEveryWrite) {
    auto medium = this->kind.Make("write-protected");
    auto data = Filled(1, 0x42);
    for (int s : {0, 1, 64, 2879}) {
        EXPECT_FALSE(medium->Write(s, 1, data.data())) << s;
        EXPECT_EQ(this->kind.RawByte(s), 0) << s;
    }
    EXPECT_TRUE(medium->Read(0, 18, Filled(18, 0).data()));
}

TYPED_TEST(FaultModel, ARequestFailsAsAWholeAndTouchesNothing) {
    auto medium = this->kind.Make("unwritable 102\nunreadable 205\n");
    auto data = Filled(5, 0x42);
    EXPECT_FALSE(medium->Write(100, 5, data.data()));
    for (int s = 100; s < 105; ++s) EXPECT_EQ(this->kind.RawByte(s), 0) << s;
    EXPECT_FALSE(medium->Read(201, 5, data.data()));
    EXPECT_TRUE(medium->Read(200, 5, data.data()));
    EXPECT_TRUE(medium->Write(103, 5, data.data()));
}

TYPED_TEST(FaultModel, RequestsOutsideTheDisketteFail) {
    auto medium = this->kind.Make("");
    auto data = Filled(2, 0);
    EXPECT_FALSE(medium->Read(-1, 1, data.data()));
    EXPECT_FALSE(medium->Read(2879, 2, data.data()));
    EXPECT_FALSE(medium->Write(2880, 1, data.data()));
    EXPECT_FALSE(medium->Write(0, 0, data.data()));
    EXPECT_TRUE(medium->Read(2878, 2, data.data()));
}

// A medium used for diskette after diskette forgets every fault of the one before.
TEST(MemoryMedium, RestartKeepsTheBytesAndForgetsFaultsHooksAndTornSectors) {
    MemoryMedium medium;
    medium.Faults().Set(3, Fault::Bad);
    medium.Faults().SetWriteProtected(true);
    MemoryMedium::Hooks hooks;
    hooks.powerLossAfterWrites = 0;
    hooks.tornLast = MemoryMedium::Torn::Unreadable;
    medium.SetHooks(hooks);
    medium.Faults().SetWriteProtected(false);
    const Bytes ones = Filled(1, 1);
    EXPECT_TRUE(medium.Write(5, 1, ones.data()));  // the power is off: nothing lands
    medium.SetHooks({.powerLossAfterWrites = 1, .tornLast = MemoryMedium::Torn::Unreadable});
    EXPECT_TRUE(medium.Write(6, 1, ones.data()));
    Bytes sector(kSectorSize);
    EXPECT_FALSE(medium.Read(6, 1, sector.data()));  // torn
    medium.ResetCounters();
    medium.SetHooks({.failReadRequest = 1, .failPersistent = true});
    EXPECT_FALSE(medium.Read(0, 1, sector.data()));
    medium.Faults().SetWriteProtected(true);
    medium.SectorData(7)[0] = 0x42;

    medium.Restart();
    EXPECT_EQ(medium.SectorData(7)[0], 0x42);
    EXPECT_EQ(medium.SectorData(5)[0], 0);
    EXPECT_EQ(medium.ReadRequests(), 0);
    EXPECT_EQ(medium.SectorWrites(), 0);
    for (int s : {0, 3, 6}) EXPECT_TRUE(medium.Read(s, 1, sector.data())) << s;
    EXPECT_EQ(sector[0], 1);  // sector 6 holds what was written before it tore
    EXPECT_TRUE(medium.Write(3, 1, ones.data()));
    EXPECT_TRUE(medium.Write(5, 1, ones.data()));
    EXPECT_EQ(medium.SectorData(5)[0], 1);
}

}  // namespace
}  // namespace orv

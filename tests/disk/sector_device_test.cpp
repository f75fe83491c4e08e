#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "disk/drive.h"
#include "disk/memory_medium.h"
#include "disk/read_only_medium.h"
#include "disk/sector_device.h"

namespace orv {
namespace {

std::vector<std::uint8_t> Filled(int sectors, std::uint8_t value) {
    return std::vector<std::uint8_t>(std::size_t(sectors) * kSectorSize, value);
}

// A medium whose every request fails with the cause given, None being a medium that cannot
// tell.
class FailingMedium final : public IMedium {
public:
    IoError cause = IoError::None;
    Status Read(int, int, std::uint8_t*) override { return Status::Failure(cause); }
    Status Write(int, int, const std::uint8_t*) override { return Status::Failure(cause); }
    Status Flush() override { return Status::Failure(cause); }
    std::string Describe() const override { return "failing"; }
};

class SectorDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        drive.InsertMedium(medium, "memory");
        ASSERT_TRUE(device.OpenDevice());
    }
    std::shared_ptr<MemoryMedium> medium = std::make_shared<MemoryMedium>();
    CDrive drive;
    CSectorDevice device{&drive};
};

TEST(SectorDeviceState, RequestsFailUntilOpenedAndAfterClosing) {
    CSectorDevice detached;
    EXPECT_EQ(detached.OpenDevice().Error(), IoError::NoMedium);
    EXPECT_FALSE(detached.IsOpen());

    CDrive drive;
    drive.InsertMedium(std::make_shared<MemoryMedium>());
    CSectorDevice device(&drive);
    auto buffer = Filled(1, 0);
    EXPECT_EQ(device.ReadSectors(0, 0, 1, buffer.data()).Error(), IoError::NoMedium);
    ASSERT_TRUE(device.OpenDevice());
    EXPECT_TRUE(device.ReadSectors(0, 0, 1, buffer.data()));
    device.CloseDevice();
    EXPECT_EQ(device.ReadSectors(0, 0, 1, buffer.data()).Error(), IoError::NoMedium);
    EXPECT_EQ(device.LastError(), IoError::NoMedium);
}

TEST_F(SectorDeviceTest, ReadsAndWritesRunsAndCountsThem) {
    auto data = Filled(18, 0x5A);
    for (int i = 0; i < 18; ++i) data[std::size_t(i) * kSectorSize] = std::uint8_t(i);
    ASSERT_TRUE(device.WriteSectors(0, 100, 18, data.data()));
    auto back = Filled(18, 0);
    ASSERT_TRUE(device.ReadSectors(0, 100, 18, back.data()));
    EXPECT_EQ(back, data);
    EXPECT_EQ(medium->SectorData(117)[0], 17);
    EXPECT_EQ(medium->SectorData(118)[0], 0);  // nothing beyond the run

    const DriveStats stats = drive.Stats();
    EXPECT_EQ(stats.writeRequests, 1);
    EXPECT_EQ(stats.writeSectors, 18);
    EXPECT_EQ(stats.readRequests, 1);
    EXPECT_EQ(stats.readSectors, 18);
    drive.ResetStats();
    EXPECT_EQ(drive.Stats().readRequests, 0);
}

TEST_F(SectorDeviceTest, OutOfRangeRequestsFailWithoutReachingTheDrive) {
    auto buffer = Filled(2, 0);
    EXPECT_EQ(device.ReadSectors(1, 0, 1, buffer.data()).Error(),
              IoError::HostError);  // only drive A: exists
    EXPECT_EQ(device.ReadSectors(0, -1, 1, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.ReadSectors(0, 2879, 2, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.ReadSectors(0, 10, 0, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.ReadSectors(0, 10, INT_MAX, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.WriteSectors(0, INT_MAX, 1, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.WriteSectors(0, 2880, 1, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.BiosWriteSectors(0, 2880, 1, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.BiosWriteSectors(0, -1, 1, buffer.data()).Error(), IoError::HostError);
    EXPECT_EQ(device.BiosWriteSectors(0, 17, 2, buffer.data()).Error(),
              IoError::HostError);  // would leave the track
    EXPECT_EQ(drive.Stats().readRequests, 0);
    EXPECT_EQ(drive.Stats().writeRequests, 0);
}

TEST_F(SectorDeviceTest, BiosWriteLandsOnTheAddressedSector) {
    for (int sector : {0, 17, 18, 37, 2879}) {
        auto data = Filled(1, std::uint8_t(sector % 251 + 1));
        ASSERT_TRUE(device.BiosWriteSectors(0, sector, 1, data.data())) << sector;
        EXPECT_EQ(medium->SectorData(sector)[511], data[0]) << sector;
    }
    auto two = Filled(2, 0x77);
    ASSERT_TRUE(device.BiosWriteSectors(0, 36, 2, two.data()));
    EXPECT_EQ(medium->SectorData(37)[0], 0x77);
}

TEST_F(SectorDeviceTest, TheDriveIsASlot) {
    auto a = Filled(1, 0xAA);
    ASSERT_TRUE(device.WriteSectors(0, 5, 1, a.data()));

    auto other = std::make_shared<MemoryMedium>();
    other->SectorData(5)[0] = 0xBB;
    drive.InsertMedium(other, "other");
    auto back = Filled(1, 0);
    ASSERT_TRUE(device.ReadSectors(0, 5, 1, back.data()));
    EXPECT_EQ(back[0], 0xBB);

    drive.Eject();
    EXPECT_EQ(device.ReadSectors(0, 5, 1, back.data()).Error(), IoError::NoMedium);
    EXPECT_EQ(device.WriteSectors(0, 5, 1, a.data()).Error(), IoError::NoMedium);
    EXPECT_EQ(medium->SectorData(5)[0], 0xAA);
}

// The medium's cause reaches the caller of each request; one that cannot tell failed the
// request's sectors, or, for a barrier, the host.
TEST(SectorDeviceCauses, AMediumsFailureArrivesWithItsCause) {
    auto failing = std::make_shared<FailingMedium>();
    CDrive drive;
    drive.InsertMedium(failing, "failing");
    CSectorDevice device(&drive);
    ASSERT_TRUE(device.OpenDevice());
    auto buffer = Filled(2, 0);
    for (IoError cause : {IoError::Unreadable, IoError::WriteProtected, IoError::NoMedium,
                          IoError::InUse, IoError::HostError}) {
        failing->cause = cause;
        EXPECT_EQ(device.ReadSectors(0, 7, 2, buffer.data()).Error(), cause);
        EXPECT_EQ(device.WriteSectors(0, 7, 2, buffer.data()).Error(), cause);
        EXPECT_EQ(device.Flush(0).Error(), cause);
        EXPECT_EQ(device.LastError(), cause);
    }
    failing->cause = IoError::None;
    EXPECT_EQ(device.ReadSectors(0, 7, 2, buffer.data()).Error(), IoError::Unreadable);
    EXPECT_EQ(device.WriteSectors(0, 7, 2, buffer.data()).Error(), IoError::Unwritable);
    EXPECT_EQ(device.Flush(0).Error(), IoError::HostError);
}

// What the rescue tools read through: every write is refused as write-protected and reaches
// nothing, while reads pass on with the inner medium's own cause.
TEST_F(SectorDeviceTest, AReadOnlyMediumRefusesEveryWriteAndPassesReadsOn) {
    medium->SectorData(9)[0] = 0x77;
    medium->Faults().Set(10, Fault::Unreadable);
    drive.InsertMedium(std::make_shared<ReadOnlyMedium>(medium), "read-only");
    auto data = Filled(1, 0x11);
    EXPECT_EQ(device.WriteSectors(0, 9, 1, data.data()).Error(), IoError::WriteProtected);
    EXPECT_TRUE(device.Flush(0));
    EXPECT_EQ(medium->SectorData(9)[0], 0x77);
    EXPECT_EQ(medium->WriteRequests(), 0);
    ASSERT_TRUE(device.ReadSectors(0, 9, 1, data.data()));
    EXPECT_EQ(data[0], 0x77);
    EXPECT_EQ(device.ReadSectors(0, 10, 1, data.data()).Error(), IoError::Unreadable);
    MemoryMedium::Hooks pulled;
    pulled.pullAfterRequests = 0;
    medium->SetHooks(pulled);
    EXPECT_EQ(device.ReadSectors(0, 9, 1, data.data()).Error(), IoError::NoMedium);
}

}  // namespace
}  // namespace orv

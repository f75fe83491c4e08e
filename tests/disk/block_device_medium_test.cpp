// The raw block device path, tried on loop devices where the machine lets us create them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "disk/block_device_medium.h"
#include "disk/drive.h"
#include "disk/image_medium.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::ReadBytes;
using tests::TempDir;
using tests::WriteBytes;

using Bytes = std::vector<std::uint8_t>;

// Runs a command and returns its first output line; empty and reason set on failure.
std::string RunLine(const std::string& command, std::string& reason) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        reason = "cannot run: " + command;
        return {};
    }
    char line[512] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = ::pclose(pipe);
    std::string out = got ? line : "";
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    if (status != 0 || out.rfind("/dev/", 0) != 0) {
        reason = command + ": " + (out.empty() ? "failed" : out);
        return {};
    }
    return out;
}

// A loop device over a file, detached again when the object goes.
class LoopDevice {
public:
    LoopDevice(const std::string& file, bool readOnly) {
        m_device =
            RunLine(std::string("losetup -f --show ") + (readOnly ? "-r " : "") + "'" + file + "'",
                    m_reason);
    }
    ~LoopDevice() {
        if (!m_device.empty()) std::system(("losetup -d " + m_device + " >/dev/null 2>&1").c_str());
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    const std::string& Device() const { return m_device; }
    const std::string& Reason() const { return m_reason; }

private:
    std::string m_device;
    std::string m_reason;
};

class BlockDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    }
    TempDir dir;
    std::string path = dir.File("floppy.img");
};

TEST_F(BlockDeviceTest, LoopDeviceIsDrivenAsABlockDevice) {
    LoopDevice loop(path, false);
    if (loop.Device().empty()) GTEST_SKIP() << "no loop device here: " << loop.Reason();
    CDrive drive;
    std::string error;
    ASSERT_TRUE(drive.Insert(loop.Device(), error)) << error;
    auto device = std::dynamic_pointer_cast<BlockDeviceMedium>(drive.Medium());
    ASSERT_TRUE(device) << "a block device must not be handled as an image file";
    EXPECT_FALSE(device->WriteProtected());

    // 40 sectors, more than one request of the device takes, from an unaligned buffer.
    Bytes data(40 * kSectorSize + 1);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i % 253);
    ASSERT_TRUE(drive.Write(100, 40, data.data() + 1));
    Bytes back(40 * kSectorSize + 1, 0);
    ASSERT_TRUE(drive.Read(100, 40, back.data() + 1));
    EXPECT_TRUE(std::equal(data.begin() + 1, data.end(), back.begin() + 1));
    EXPECT_FALSE(drive.Read(2870, 11, back.data()));

    device.reset();
    drive.Eject();  // closes the device
    const Bytes image = ReadBytes(path);
    ASSERT_EQ(image.size(), std::size_t(kImageSize));
    EXPECT_TRUE(std::equal(data.begin() + 1, data.end(), image.begin() + 100 * kSectorSize));
}

TEST_F(BlockDeviceTest, ReadOnlyDeviceIsWriteProtected) {
    LoopDevice loop(path, true);
    if (loop.Device().empty()) GTEST_SKIP() << "no loop device here: " << loop.Reason();
    BlockDeviceMedium device;
    std::string error;
    ASSERT_TRUE(device.Load(loop.Device(), error)) << error;
    EXPECT_TRUE(device.WriteProtected());
    Bytes sector(kSectorSize, 0x33);
    EXPECT_FALSE(device.Write(0, 1, sector.data()));
    EXPECT_TRUE(device.Read(0, 1, sector.data()));
    EXPECT_EQ(sector[0], 0);
}

TEST_F(BlockDeviceTest, DeviceOfAnotherSizeIsRefused) {
    const std::string big = dir.File("big.img");
    WriteBytes(big, Bytes(2 * 1024 * 1024, 0));
    LoopDevice loop(big, false);
    if (loop.Device().empty()) GTEST_SKIP() << "no loop device here: " << loop.Reason();
    BlockDeviceMedium device;
    std::string error;
    EXPECT_FALSE(device.Load(loop.Device(), error));
    EXPECT_NE(error.find("1474560"), std::string::npos) << error;
    Bytes sector(kSectorSize, 0);
    EXPECT_FALSE(device.Read(0, 1, sector.data()));
}

// The hold is on the diskette, not on a name: a second node of the device and the image file
// behind the loop device are the same diskette, and another program gets in by neither.
TEST_F(BlockDeviceTest, TheDeviceIsHeldWhicheverNodeOrFileReachesIt) {
    LoopDevice loop(path, false);
    if (loop.Device().empty()) GTEST_SKIP() << "no loop device here: " << loop.Reason();
    struct stat st {};
    ASSERT_EQ(::stat(loop.Device().c_str(), &st), 0);
    const std::string twinNode = dir.File("twin");
    if (::mknod(twinNode.c_str(), S_IFBLK | 0600, st.st_rdev) != 0)
        GTEST_SKIP() << "cannot make a second device node here: " << std::strerror(errno);

    std::string error;
    BlockDeviceMedium device, twin;
    ImageMedium image;
    ASSERT_TRUE(device.Load(loop.Device(), error)) << error;
    ASSERT_TRUE(twin.Load(twinNode, error)) << error;
    ASSERT_TRUE(image.Load(path, error)) << error;
    ASSERT_TRUE(device.Lock(error)) << error;

    Bytes sector(kSectorSize, 0);
    error.clear();
    EXPECT_FALSE(twin.Lock(error));
    EXPECT_NE(error.find(twinNode + " is in use by another program"), std::string::npos) << error;
    EXPECT_EQ(twin.Read(0, 1, sector.data()).Error(), IoError::InUse);
    error.clear();
    EXPECT_FALSE(image.Lock(error));
    EXPECT_NE(
        error.find(path + " is in use by another program (process " + std::to_string(::getpid())),
        std::string::npos)
        << error;
    EXPECT_FALSE(image.Write(0, 1, sector.data()));

    // Let go, the device is the other node's; and the image held, no node gets the device.
    device.Unlock();
    EXPECT_TRUE(twin.Read(0, 1, sector.data()));
    twin.Unlock();
    ASSERT_TRUE(image.Lock(error)) << error;
    error.clear();
    EXPECT_FALSE(device.Lock(error));
    EXPECT_NE(error.find(loop.Device() + " is a loop device over " + path + ": " + path +
                         " is in use by another program"),
              std::string::npos)
        << error;
    EXPECT_EQ(device.Write(0, 1, sector.data()).Error(), IoError::InUse);
    image.Unlock();
    EXPECT_TRUE(device.Lock(error)) << error;
}

}  // namespace
}  // namespace orv

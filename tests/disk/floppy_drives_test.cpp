// The drives of the machine from a /sys tree: removable block devices of 2 880 sectors only.
#include <gtest/gtest.h>

#include <filesystem>

#include "disk/floppy_drives.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::TempDir;
using tests::WriteText;

class FloppyDrivesTest : public ::testing::Test {
protected:
    void Device(const std::string& name, const std::string& removable, const std::string& size,
                const std::string& vendor = {}, const std::string& model = {}) {
        const std::filesystem::path dir = sys.Path() / "block" / name;
        std::filesystem::create_directories(dir / "device");
        WriteText((dir / "removable").string(), removable + "\n");
        WriteText((dir / "size").string(), size + "\n");
        if (!vendor.empty()) WriteText((dir / "device" / "vendor").string(), vendor + "\n");
        if (!model.empty()) WriteText((dir / "device" / "model").string(), model + "\n");
    }
    TempDir sys;
};

TEST_F(FloppyDrivesTest, OnlyRemovableDevicesOfADisketteSize) {
    Device("sdc", "1", "2880", "TEAC    ", "FD-05PUB        ");
    Device("sdb", "1", "2880");
    Device("sda", "0", "2880");      // a fixed disk of that size is no floppy drive
    Device("sdd", "1", "0");         // a drive without a diskette tells no size
    Device("sde", "1", "30031872");  // a memory stick
    Device("loop0", "0", "2880");    // an image behind a loop device
    const std::vector<FloppyDrive> drives = FindFloppyDrives(sys.Path().string());
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].device, "/dev/sdb");
    EXPECT_EQ(drives[0].model, "");
    EXPECT_EQ(drives[1].device, "/dev/sdc");
    EXPECT_EQ(drives[1].model, "TEAC FD-05PUB");
}

TEST_F(FloppyDrivesTest, AMissingTreeListsNothing) {
    EXPECT_TRUE(FindFloppyDrives((sys.Path() / "absent").string()).empty());
}

}  // namespace
}  // namespace orv

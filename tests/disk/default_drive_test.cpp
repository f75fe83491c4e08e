#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "disk/default_drive.h"
#include "disk/geometry.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::ReadBytes;
using tests::TempDir;
using tests::WriteBytes;

// Sets or unsets an environment variable and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(DefaultDrive, OrvalisDriveWinsAndIsNotCreated) {
    TempDir dir;
    const std::string named = dir.File("named.img");
    ScopedEnv drive("ORVALIS_DRIVE", named.c_str());
    ScopedEnv xdg("XDG_DATA_HOME", dir.Path().c_str());
    EXPECT_EQ(DefaultDrivePath(), named);
    std::string path, error;
    ASSERT_TRUE(PrepareDefaultDrive(path, error)) << error;
    EXPECT_EQ(path, named);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "orvalis"));
}

TEST(DefaultDrive, DataFolderImageIsCreatedBlankOnceAndThenKept) {
    TempDir dir;
    ScopedEnv drive("ORVALIS_DRIVE", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", dir.Path().c_str());
    const std::string expected = (dir.Path() / "orvalis" / "drive-a.img").string();
    std::string path, error;
    ASSERT_TRUE(PrepareDefaultDrive(path, error)) << error;
    EXPECT_EQ(path, expected);
    auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), std::size_t(kImageSize));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), kImageSize);

    bytes[1000] = 0x99;
    WriteBytes(path, bytes);
    ASSERT_TRUE(PrepareDefaultDrive(path, error)) << error;
    EXPECT_EQ(ReadBytes(path)[1000], 0x99);
}

TEST(DefaultDrive, WithoutXdgDataHomeTheImageLivesUnderHome) {
    TempDir dir;
    ScopedEnv drive("ORVALIS_DRIVE", "");
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", dir.Path().c_str());
    EXPECT_EQ(DefaultDrivePath(),
              (dir.Path() / ".local" / "share" / "orvalis" / "drive-a.img").string());
}

TEST(DefaultDrive, UncreatableFolderIsReportedNotThrown) {
    TempDir dir;
    WriteBytes(dir.File("file"), {1});
    ScopedEnv drive("ORVALIS_DRIVE", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", dir.File("file").c_str());  // a file where a folder must go
    std::string path, error;
    EXPECT_FALSE(PrepareDefaultDrive(path, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace orv

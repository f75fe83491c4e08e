#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "host/small_file.h"
#include "support/temp_dir.h"

namespace orv {
namespace {

using tests::TempDir;
using tests::WriteText;

TEST(SideFile, OnlyASmallRegularFileIsReadAndAnythingElseAtOnceRefused) {
    TempDir dir;
    std::string text, error;
    EXPECT_EQ(ReadSideFile(dir.File("none.faults"), text, error), SideFile::Missing);

    const std::string small = dir.File("small.faults");
    WriteText(small, "unreadable 70\n");
    EXPECT_EQ(ReadSideFile(small, text, error), SideFile::Read);
    EXPECT_EQ(text, "unreadable 70\n");

    const std::string limit = dir.File("limit.map");
    WriteText(limit, std::string(std::size_t(kLargestSideFile), '#'));
    ASSERT_EQ(ReadSideFile(limit, text, error), SideFile::Read);
    EXPECT_EQ(text.size(), std::size_t(kLargestSideFile));

    struct Case {
        std::string path, why;
    };
    const std::string large = dir.File("large.map"), fifo = dir.File("fifo.faults"),
                      zero = dir.File("zero.faults"), folder = dir.File("folder.faults");
    WriteText(large, std::string(std::size_t(kLargestSideFile) + 1, '#'));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody ever writes to it
    std::filesystem::create_symlink("/dev/zero", zero);
    std::filesystem::create_directory(folder);
    for (const Case& c :
         {Case{large, " is larger than 1 MiB"}, Case{fifo, " is not a regular file"},
          Case{zero, " is not a regular file"}, Case{folder, " is not a regular file"}}) {
        text = "left over";
        error.clear();
        EXPECT_EQ(ReadSideFile(c.path, text, error), SideFile::Refused) << c.path;
        EXPECT_EQ(error, c.path + c.why);
        EXPECT_TRUE(text.empty());
    }
}

}  // namespace
}  // namespace orv

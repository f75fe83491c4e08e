#include "support/diskette_names.h"

#include <gtest/gtest.h>

#include "fs/volume.h"
#include "support/memory_disk.h"
#include "transfer/document.h"

namespace orv::tests {

std::vector<std::string> NamesOnDiskette(CDrive& drive) {
    CVolume fresh(&drive);
    EXPECT_TRUE(OpenVolume(fresh));
    std::vector<FileRecord> records;
    (void)fresh.ListFiles(records);
    std::vector<std::string> names;
    for (FileRecord& r : records) {
        COrvalisDoc::FormatRecord(r);
        names.push_back(r.displayName);
    }
    return names;
}

}  // namespace orv::tests

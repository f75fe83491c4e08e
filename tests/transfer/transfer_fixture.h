// Drive A: with formatted in-memory diskettes, a document on it with scripted ports, and a
// private folder for host files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "disk/drive.h"
#include "disk/memory_medium.h"
#include "host/host_file.h"
#include "support/memory_disk.h"
#include "support/temp_dir.h"
#include "transfer/document.h"
#include "transfer_fakes.h"

namespace orv::tests {

class TransferTest : public ::testing::Test {
protected:
    TransferTest() {
        user.answers.clear();
        report.user = &user;
        disk = NewDiskette("FIRST");
        drive.InsertMedium(disk, "first");
        doc = std::make_unique<COrvalisDoc>(drive, DocPorts{&user, &runner, &report});
    }

    // A freshly formatted diskette that is not in the drive.
    std::shared_ptr<MemoryMedium> NewDiskette(const std::string& label) {
        auto medium = std::make_shared<MemoryMedium>();
        CDrive scratch;
        scratch.InsertMedium(medium);
        CVolume volume(&scratch);
        EXPECT_TRUE(QuickFormat(volume, label)) << label;
        return medium;
    }

    void Insert(const std::shared_ptr<MemoryMedium>& medium) { drive.InsertMedium(medium); }

    // Fills the open diskette so that exactly `free` units stay free (the highest ones).
    void LeaveFreeUnits(int free) {
        CVolume& v = doc->Volume();
        int left = v.FreeUnitCount();
        for (int u = 0; u < kUnitCount && left > free; ++u) {
            if (v.Fat().entries[u] != FAT_FREE) continue;
            v.Fat().Set(u, FAT_BAD);
            --left;
        }
        ASSERT_TRUE(v.WriteFat());
    }

    std::string HostFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.File(name);
        WriteBytes(path, bytes);
        return path;
    }

    const FileRecord* Listed(const std::string& displayName) const {
        for (const FileRecord& r : doc->Files())
            if (r.displayName == displayName) return &r;
        return nullptr;
    }

    // Copies a listed file back as a new host file and returns its bytes.
    std::vector<std::uint8_t> CopyBack(const std::string& displayName, int* rc = nullptr) {
        const FileRecord* r = Listed(displayName);
        EXPECT_NE(r, nullptr) << displayName;
        if (!r) return {};
        FileRecord key = *r;
        const std::string target = dir.File("back-" + displayName);
        const int result = doc->CopyFromDiskette(key, target, false, -1);
        if (rc) *rc = result;
        return ReadBytes(target);
    }

    TempDir dir;
    CDrive drive;
    ScriptedUserPort user;
    InlineProgressRunner runner;
    RecordingReportPort report;
    std::shared_ptr<MemoryMedium> disk;
    std::unique_ptr<COrvalisDoc> doc;
};

}  // namespace orv::tests

#include "reliability/operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "fs/layout.h"
#include "fs/volume.h"

namespace orv::reliability {

namespace {

using Base = BaseDiskette;

}  // namespace

BaseDiskette MakeBase() {
    Base base;
    base.medium = FormattedDiskette("BASE");
    Rig rig(base.medium);
    EXPECT_EQ(rig.Open(), 0);
    const std::vector<std::pair<std::string, std::size_t>> files = {
        {"alpha.txt", 3000}, {"beta.dat", 448}, {"gamma.bin", 20000}, {"empty", 0}};
    std::uint32_t seed = 100;
    for (const auto& [name, size] : files) {
        Bytes bytes = Data(size, seed++);
        EXPECT_EQ(rig.Add(name, bytes), 0) << name;
        base.files[name] = std::move(bytes);
    }
    base.medium->ResetCounters();
    return base;
}

namespace {

// Opens the diskette as the Open command does: a failure shows its message.
bool OpenOrReport(Rig& rig, WorkerOutcome& outcome) {
    const int rc = rig.Open();
    if (rc == 0) return true;
    outcome.messages = rig.Texts();
    outcome.messages.push_back(OpenErrorText(rc));
    return false;
}

int FreeUnits(const Medium& medium) {
    Rig rig(medium);
    EXPECT_EQ(rig.Open(), 0);
    return rig.doc->Volume().FreeUnitCount();
}

// Opens the diskette in the drive and adds one file; the AddFile result.
int OpenAndAdd(std::vector<Medium>& media, const std::string& name, const Bytes& bytes,
               WorkerOutcome& outcome) {
    Rig rig(media[0]);
    if (!OpenOrReport(rig, outcome)) return -1;
    const int rc = rig.Add(name, bytes);
    outcome.messages = rig.Texts();
    return rc;
}

Operation AddOperation(const std::string& opName, std::size_t size) {
    Base base = MakeBase();
    const Bytes bytes = Data(size, 7);
    Operation op;
    op.name = opName;
    op.before = {base.medium};
    op.run = [bytes](std::vector<Medium>& media, WorkerOutcome& outcome) {
        return OpenAndAdd(media, "new.bin", bytes, outcome);
    };
    op.interrupted = {{base.files, {{"new.bin", bytes}}}};
    FileSet after = base.files;
    after["new.bin"] = bytes;
    op.done = {{after, {}}};
    return op;
}

// A file added where a deleted one was: it takes the deleted file's number and, with the same
// extension, its tags and its units, whose old bytes still carry them. Only the order of the
// writes keeps those old bytes from passing for the new file's.
Operation AddOverDeletedOperation() {
    Base base = MakeBase();
    {
        Rig rig(base.medium);
        EXPECT_EQ(rig.Open(), 0);
        EXPECT_EQ(rig.Delete("gamma.bin"), 0);
    }
    base.files.erase("gamma.bin");
    base.medium->ResetCounters();
    const Bytes bytes = Data(24000, 11);
    Operation op;
    op.name = "AddOverDeleted";
    op.before = {base.medium};
    op.run = [bytes](std::vector<Medium>& media, WorkerOutcome& outcome) {
        return OpenAndAdd(media, "delta.bin", bytes, outcome);
    };
    op.interrupted = {{base.files, {{"delta.bin", bytes}}}};
    FileSet after = base.files;
    after["delta.bin"] = bytes;
    op.done = {{after, {}}};
    return op;
}

Operation FillOperation() {
    Base base = MakeBase();
    const Bytes bytes = Data(std::size_t(BytesInUnits(FreeUnits(base.medium))), 8);
    Operation op;
    op.name = "AddFillsDiskette";
    op.before = {base.medium};
    op.run = [bytes](std::vector<Medium>& media, WorkerOutcome& outcome) {
        return OpenAndAdd(media, "full.bin", bytes, outcome);
    };
    // A unit that refuses the write leaves the file one unit short of room: it stops at the
    // next-diskette prompt with its first part on this diskette.
    Expectation interrupted{base.files, {}, {{"full.bin", bytes}}, {}, false};
    op.interrupted = {interrupted};
    FileSet after = base.files;
    after["full.bin"] = bytes;
    op.done = {{after, {}}};
    return op;
}

// A file one diskette cannot hold: its first part fills the base diskette, the rest (40 whole
// units) goes onto a second, blank diskette as part 1.
Operation SpillOperation() {
    Base base = MakeBase();
    const std::size_t first = std::size_t(BytesInUnits(FreeUnits(base.medium)));
    const std::size_t rest = std::size_t(BytesInUnits(40));
    const Bytes bytes = Data(first + rest, 9);
    Operation op;
    op.name = "AddSpillsOntoSecondDiskette";
    op.before = {base.medium, FormattedDiskette("SECOND")};
    op.run = [bytes](std::vector<Medium>& media, WorkerOutcome& outcome) {
        Rig rig(media[0]);
        if (!OpenOrReport(rig, outcome)) return -1;
        Medium second = media[1];
        rig.user.inserts.push_back([&rig, second] { rig.Insert(second); });
        const int rc = rig.Add("big.bin", bytes);
        outcome.messages = rig.Texts();
        return rc == 2 ? 0 : -1;
    };
    // Where the first part ends (after `first` bytes when no unit refuses a write) depends on
    // the units that refuse one: each diskette holds a piece, the second the rest.
    op.interrupted = {{base.files, {}, {{"big.bin", bytes}}, {}, false},
                      {{}, {}, {}, {{"big.1", bytes}}, false}};
    op.done = {{base.files, {}, {{"big.bin", bytes}}, {}, true},
               {{}, {}, {}, {{"big.1", bytes}}, true}};
    return op;
}

Operation DeleteOperation() {
    Base base = MakeBase();
    Operation op;
    op.name = "Delete";
    op.before = {base.medium};
    op.run = [](std::vector<Medium>& media, WorkerOutcome& outcome) {
        Rig rig(media[0]);
        if (!OpenOrReport(rig, outcome)) return -1;
        const int rc = rig.Delete("gamma.bin");
        outcome.messages = rig.Texts();
        return rc;
    };
    FileSet keep = base.files;
    keep.erase("gamma.bin");
    op.interrupted = {{keep, {{"gamma.bin", base.files["gamma.bin"]}}}};
    op.done = {{keep, {}}};
    return op;
}

Operation CopyOperation() {
    Base base = MakeBase();
    Operation op;
    op.name = "Copy";
    op.before = {base.medium};
    const Bytes want = base.files["gamma.bin"];
    op.run = [want](std::vector<Medium>& media, WorkerOutcome& outcome) {
        Rig rig(media[0]);
        if (!OpenOrReport(rig, outcome)) return -1;
        Bytes got;
        const int rc = rig.Copy("gamma.bin", got);
        outcome.messages = rig.Texts();
        // A copy that reports success must have delivered the file.
        if (rc == 0 && got != want && rig.report.lists.empty()) return -2;
        return rc;
    };
    op.interrupted = {{base.files, {}}};
    op.done = op.interrupted;
    return op;
}

Operation FormatOperation(bool full) {
    Base base = MakeBase();
    Operation op;
    op.name = full ? "FullFormat" : "QuickFormat";
    op.before = {base.medium};
    op.run = [full](std::vector<Medium>& media, WorkerOutcome& outcome) {
        outcome = RunFormat(media[0], full);
        return outcome.result;
    };
    // The files are going: an interrupted format may leave any of them whole, never a wreck.
    op.interrupted = {{{}, base.files}};
    op.done = {{{}, {}}};
    return op;
}

Operation FullTestOperation(bool rebuild) {
    Base base = MakeBase();
    if (rebuild) {
        // Both copies of table sector 0 hold values outside the value set: the owners of units
        // 0..255 must come back from the unit headers.
        Rig rig(base.medium);
        EXPECT_EQ(rig.Open(), 0);
        const FatPositions p1 = rig.doc->Volume().Fat().pos1, p2 = rig.doc->Volume().Fat().pos2;
        for (int sector : {int(p1[0]), int(p2[0])})
            std::fill_n(base.medium->SectorData(sector), kSectorSize, std::uint8_t(0xEE));
    }
    Operation op;
    op.name = rebuild ? "FullTestRebuildsTable" : "FullTest";
    op.before = {base.medium};
    op.run = [](std::vector<Medium>& media, WorkerOutcome& outcome) {
        outcome = RunFullTest(media[0]);
        return outcome.result;
    };
    op.interrupted = {{base.files, {}}};
    op.done = op.interrupted;
    return op;
}

}  // namespace

std::vector<std::string> OperationNames(bool writingOnly) {
    std::vector<std::string> names = {"QuickFormat",
                                      "FullFormat",
                                      "Add0",
                                      "Add1",
                                      "Add448",
                                      "Add449",
                                      "Add5000",
                                      "Add100000",
                                      "AddOverDeleted",
                                      "AddFillsDiskette",
                                      "AddSpillsOntoSecondDiskette",
                                      "Delete",
                                      "FullTest",
                                      "FullTestRebuildsTable"};
    if (!writingOnly) names.push_back("Copy");
    return names;
}

Operation MakeOperation(const std::string& name) {
    if (name == "QuickFormat") return FormatOperation(false);
    if (name == "FullFormat") return FormatOperation(true);
    if (name.rfind("Add", 0) == 0 && name.size() > 3 && std::isdigit(name[3]))
        return AddOperation(name, std::size_t(std::stoul(name.substr(3))));
    if (name == "AddFillsDiskette") return FillOperation();
    if (name == "AddOverDeleted") return AddOverDeletedOperation();
    if (name == "AddSpillsOntoSecondDiskette") return SpillOperation();
    if (name == "Delete") return DeleteOperation();
    if (name == "Copy") return CopyOperation();
    if (name == "FullTest") return FullTestOperation(false);
    if (name == "FullTestRebuildsTable") return FullTestOperation(true);
    ADD_FAILURE() << "no operation " << name;
    return {};
}

}  // namespace orv::reliability

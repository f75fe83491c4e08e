// Every single bad sector: a blank diskette with one faulty sector is given a full format, filled
// with files, opened afresh and every file copied back. Each outcome is byte-exact data or a
// clean error with its message; never wrong bytes without a bad-sector report.
#include <gtest/gtest.h>

#include <sstream>

#include "fs/layout.h"
#include "reliability/harness.h"

namespace orv::reliability {
namespace {

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::Unreadable:
            return "Unreadable";
        case Fault::Unwritable:
            return "Unwritable";
        case Fault::Bad:
            return "Bad";
        default:
            return "None";
    }
}

// The sectors to try: all in a long run; otherwise every sector that holds a system record
// on a diskette formatted from scratch, the first spare ones, the edges of the data area and an
// even spread of the rest.
std::vector<int> SectorsToTry() {
    std::vector<int> sectors;
    const int stride = DefaultSample(101, 577);
    const bool wholeSystemArea = DefaultSample(1, 0) == 1;  // 0..27 one by one
    for (int s = 0; s < kSectorCount; ++s) {
        const bool system = s <= 4 || s == 14 || s == 15 || s == 25 || s == 26 || s == 63 ||
                            s == 64 || s == 65 || s >= kSectorCount - 2;
        const bool spread = s % stride == 0 || (wholeSystemArea && s <= 27);
        if (LongRun() || system || spread) sectors.push_back(s);
    }
    return sectors;
}

// Byte-exact except at the listed chain positions, which hold 'X'.
std::string CompareWithReport(const Bytes& got, const Bytes& want,
                              const std::vector<std::uint32_t>* badList) {
    if (got.size() != want.size())
        return std::to_string(got.size()) + " bytes instead of " + std::to_string(want.size());
    std::vector<bool> reported(want.size(), false);
    if (badList) {
        for (std::uint32_t p : *badList) {
            if (p == 0) return "the header unit is reported";
            const std::size_t from = kHeaderDataBytes + std::size_t(p - 1) * kUnitDataBytes;
            for (std::size_t i = from; i < from + kUnitDataBytes && i < want.size(); ++i) {
                if (got[i] != 'X') return "a reported unit is not filled with X";
                reported[i] = true;
            }
        }
    }
    for (std::size_t i = 0; i < want.size(); ++i)
        if (!reported[i] && got[i] != want[i])
            return "byte " + std::to_string(i) + " is wrong and not reported";
    return "";
}

// One scenario; empty when its outcome is acceptable, else why not.
std::string RunScenario(int sector, Fault fault, long& copiedFiles) {
    auto medium = std::make_shared<MemoryMedium>();
    medium->Faults().Set(sector, fault);
    const WorkerOutcome format = RunFormat(medium, true);
    if (format.result != 0)
        return format.messages.empty() ? "the format failed without a message" : "";

    std::map<std::string, Bytes> files;
    {
        Rig rig(medium);
        if (rig.Open() != 0) return "the formatted diskette does not open";
        static const std::size_t kSizes[] = {100000, 0, 1, 448, 449, 30000, 250000, 5000};
        for (int i = 0;; ++i) {
            const int free = rig.doc->Volume().FreeUnitCount();
            std::size_t size = kSizes[std::size_t(i) % std::size(kSizes)];
            const bool last = UnitsForBytes(std::int32_t(size)) >= free;
            if (last) size = std::size_t(BytesInUnits(free));
            if (free == 0) break;
            const std::string name = "f" + std::to_string(i) + ".dat";
            const Bytes bytes = Data(size, std::uint32_t(sector * 7 + i));
            const int rc = rig.Add(name, bytes);
            // A unit that refuses the write only turns up while writing: the last file may
            // then run out of room and stop at the next-diskette prompt (result 2).
            if (rc == 0) {
                files[name] = bytes;
            } else if (rc == 2 && last) {
                const FileRecord* part = rig.Listed(name);
                if (!part) return name + ": its part is not listed";
                const std::int32_t here = rig.doc->Volume().ChainCapacity(part->fileNumber);
                files[name] = Bytes(bytes.begin(), bytes.begin() + here);
            } else {
                return name + ": adding it returned " + std::to_string(rc);
            }
            if (last) break;
        }
    }

    Rig rig(medium);
    if (rig.Open() != 0) return "the filled diskette does not open again";
    if (rig.doc->Files().size() != files.size()) return "not every file is listed";
    for (const auto& [name, want] : files) {
        Bytes got;
        const std::size_t reportsBefore = rig.report.lists.size();
        const std::size_t shownBefore = rig.user.shown.size();
        const int rc = rig.Copy(name, got);
        const bool reported = rig.report.lists.size() > reportsBefore;
        ++copiedFiles;
        if (rc != 0) {
            if (rig.user.shown.size() == shownBefore) return name + ": failed without a message";
            // The first part of a file cut short at the end of the diskette asks for the next
            // part, which is not there: its own bytes must still be right.
            if (got.size() > want.size()) got.resize(want.size());
        }
        const std::string why =
            CompareWithReport(got, want, reported ? &rig.report.lists.back() : nullptr);
        if (!why.empty()) return name + ": " + why;
    }
    return "";
}

class EverySingleBadSector : public ::testing::TestWithParam<Fault> {};

TEST_P(EverySingleBadSector, FormatFillReopenCopy) {
    const Fault fault = GetParam();
    long scenarios = 0, copied = 0;
    for (int sector : SectorsToTry()) {
        const std::string why = RunScenario(sector, fault, copied);
        ASSERT_EQ(why, "") << FaultName(fault) << " sector " << sector;
        ++scenarios;
    }
    ReportFigure("scenarios", scenarios);
    ReportFigure("files_copied", copied);
}

INSTANTIATE_TEST_SUITE_P(Faults, EverySingleBadSector,
                         ::testing::Values(Fault::Unreadable, Fault::Unwritable, Fault::Bad),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             return std::string(FaultName(info.param));
                         });

}  // namespace
}  // namespace orv::reliability

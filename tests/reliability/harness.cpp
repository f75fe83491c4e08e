#include "reliability/harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <unistd.h>

#include "fs/volume.h"
#include "maintenance/diskservice/service_workers.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "maintenance/format/format_worker.h"
#include "support/memory_disk.h"
#include "support/recording_worker_dialog.h"
#include "transfer/file_loops.h"

namespace orv::reliability {

bool LongRun() {
    const char* v = std::getenv("ORVALIS_RELIABILITY_LONG");
    return v && *v && std::string(v) != "0";
}

int DefaultSample(int normal, int sanitized) {
#if defined(__SANITIZE_ADDRESS__)
    (void)normal;
    return sanitized;
#else
    (void)sanitized;
    return normal;
#endif
}

std::vector<long> SamplePoints(long total, long edge, long middle) {
    std::vector<long> points;
    if (LongRun() || total <= 2 * edge + middle) {
        for (long k = 1; k <= total; ++k) points.push_back(k);
        return points;
    }
    for (long k = 1; k <= edge; ++k) points.push_back(k);
    const long span = total - 2 * edge;
    for (long i = 1; i <= middle; ++i) points.push_back(edge + span * i / (middle + 1));
    for (long k = total - edge + 1; k <= total; ++k) points.push_back(k);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

void ReportFigure(const std::string& name, long value) {
    ::testing::Test::RecordProperty(name, std::to_string(value));
    std::printf("[ figure   ] %s = %ld%s\n", name.c_str(), value, LongRun() ? " (long run)" : "");
    std::fflush(stdout);
}

Medium Clone(const MemoryMedium& medium) {
    auto copy = std::make_shared<MemoryMedium>(medium.Bytes());
    copy->Faults() = medium.Faults();
    return copy;
}

Medium FormattedDiskette(const std::string& label) {
    auto medium = std::make_shared<MemoryMedium>();
    CDrive drive;
    drive.InsertMedium(medium);
    CVolume volume(&drive);
    EXPECT_TRUE(tests::QuickFormat(volume, label)) << label;
    medium->ResetCounters();
    return medium;
}

tests::TempDir& HostDir() {
    // The sweeps write and read back thousands of host files: keep them in memory when the
    // machine offers a memory file system and nobody chose another folder.
    static tests::TempDir dir = [] {
        if (!std::getenv("TMPDIR") && ::access("/dev/shm", W_OK) == 0)
            ::setenv("TMPDIR", "/dev/shm", 0);
        return tests::TempDir();
    }();
    return dir;
}

std::string MakeHostFile(const std::string& name, const Bytes& bytes) {
    const std::string path = HostDir().File(name);
    tests::WriteBytes(path, bytes);
    return path;
}

Rig::Rig(Medium medium) {
    report.user = &user;
    drive.InsertMedium(std::move(medium));
    doc = std::make_unique<COrvalisDoc>(drive, DocPorts{&user, &runner, &report});
}

Rig::~Rig() = default;

std::vector<std::string> Rig::Texts() const {
    std::vector<std::string> texts = user.Texts();
    for (const Message& m : user.prompts) texts.push_back(m.text);
    return texts;
}

const FileRecord* Rig::Listed(const std::string& displayName) const {
    for (const FileRecord& r : doc->Files())
        if (r.displayName == displayName) return &r;
    return nullptr;
}

int Rig::Add(const std::string& name, const Bytes& bytes) {
    return doc->AddFile(MakeHostFile(name, bytes), 0);
}

int Rig::Delete(const std::string& displayName) {
    const FileRecord* r = Listed(displayName);
    if (!r) return -1;
    const FileRecord key = *r;
    return doc->DeleteFromDiskette(key, true, true);
}

int Rig::Copy(const std::string& displayName, Bytes& out) {
    const FileRecord* r = Listed(displayName);
    if (!r) return -1;
    FileRecord key = *r;
    const std::string target = HostDir().File("copy.out");
    std::remove(target.c_str());
    const int rc = doc->CopyFromDiskette(key, target, false, -1);
    out = tests::ReadBytes(target);
    return rc;
}

namespace {

// A drive of the worker's own, as the format and the disk service build their volume.
struct WorkerRig {
    explicit WorkerRig(const Medium& medium) { drive.InsertMedium(medium); }
    CDrive drive;
    tests::ScriptedUser user;
    tests::RecordingWorkerDialog dialog;
    WorkerOutcome Outcome(int result) const {
        return {result, user.Texts(), dialog.m_results.uncertainFiles,
                dialog.m_results.damagedFiles};
    }
};

}  // namespace

WorkerOutcome RunFormat(const Medium& medium, bool full, const std::string& label) {
    WorkerRig rig(medium);
    FormatOptions options;
    options.formatType = full ? 1 : 0;
    options.label = label;
    return rig.Outcome(FormatWorker(&rig.drive, rig.dialog, rig.user, options));
}

WorkerOutcome RunFullTest(const Medium& medium) {
    WorkerRig rig(medium);
    return rig.Outcome(FullTestWorker(&rig.drive, rig.dialog, rig.user));
}

int RunSystemPartsTest(const Medium& medium) {
    CDrive drive;
    drive.InsertMedium(medium);
    tests::RecordingWorkerDialog dialog;
    CVolume volume(&drive);
    EXPECT_TRUE(volume.OpenDevice());
    return SystemPartsTest(volume, dialog);
}

ReadBack ReadBackDiskette(const Medium& medium, bool allowFullTest) {
    ReadBack back;
    auto rig = std::make_unique<Rig>(medium);
    back.openCode = back.finalCode = rig->Open();
    if (back.finalCode != 0 && allowFullTest) {
        back.fullTestRan = true;
        RunFullTest(medium);
        rig = std::make_unique<Rig>(medium);
        back.finalCode = rig->Open();
    }
    back.messages = rig->Texts();
    if (back.finalCode != 0) return back;

    CVolume& volume = rig->doc->Volume();
    const std::string target = HostDir().File("readback.out");
    for (const FileRecord& r : rig->doc->Files()) {
        ReadBackFile file;
        orv::HostFile out;
        if (!out.Open(target, HostFile::Mode::CreateTruncate)) {
            ADD_FAILURE() << "cannot create " << target;
            return back;
        }
        const std::int32_t capacity = volume.ChainCapacity(r.fileNumber);
        const std::int32_t count = std::min<std::int64_t>(r.size, capacity);
        const std::int32_t n = ReadFileFromDiskette(volume, ChainTag::Of(r), out, count, 0, true,
                                                    &file.badList, nullptr);
        out.Close();
        file.headerUnreadable = n < 0;
        if (n >= 0) file.bytes = tests::ReadBytes(target);
        back.files[r.displayName] = std::move(file);
    }
    return back;
}

std::string VolumeMatchesDiskette(const CVolume& volume, const Bytes& diskette) {
    auto clean = std::make_shared<MemoryMedium>(diskette);
    CDrive drive;
    drive.InsertMedium(clean);
    CVolume fresh(&drive);
    EXPECT_TRUE(fresh.OpenDevice());
    if (fresh.FindIdSectors() != true) return "the diskette has no ID sectors";
    if (!fresh.ReadFat(false)) return "the diskette's table does not read";
    fresh.SettleDifferingCopies(nullptr);  // as an open does when the copies differ
    std::ostringstream why;
    if (fresh.Ids().label != volume.Ids().label || fresh.Ids().stampTime != volume.Ids().stampTime)
        why << "identity: memory " << volume.Ids().label << "/" << volume.Ids().stampTime
            << ", diskette " << fresh.Ids().label << "/" << fresh.Ids().stampTime;
    else if (fresh.Fat().pos1 != volume.Fat().pos1 || fresh.Fat().pos2 != volume.Fat().pos2)
        why << "the table positions differ";
    else
        for (int u = 0; u < kUnitCount; ++u)
            if (fresh.Fat().entries[std::size_t(u)] != volume.Fat().entries[std::size_t(u)]) {
                why << "unit " << u << ": memory " << volume.Fat().entries[std::size_t(u)]
                    << ", diskette " << fresh.Fat().entries[std::size_t(u)];
                break;
            }
    return why.str();
}

std::string Check(const ReadBack& back, const Expectation& expected) {
    std::ostringstream why;
    if (back.finalCode != 0) {
        why << "the diskette does not open (code " << back.openCode << ", after the full test "
            << back.finalCode << ")";
        return why.str();
    }
    for (const auto& [name, bytes] : expected.keep)
        if (!back.files.count(name)) why << name << " is missing; ";
    if (expected.piecesRequired) {
        for (const FileSet* pieces : {&expected.prefixes, &expected.suffixes})
            for (const auto& [name, bytes] : *pieces)
                if (!back.files.count(name)) why << name << " is missing; ";
    }
    for (const auto& [name, file] : back.files) {
        auto prefix = expected.prefixes.find(name);
        auto suffix = expected.suffixes.find(name);
        if (prefix != expected.prefixes.end() || suffix != expected.suffixes.end()) {
            const bool front = prefix != expected.prefixes.end();
            const Bytes& whole = front ? prefix->second : suffix->second;
            const Bytes& got = file.bytes;
            const bool fits = got.size() <= whole.size() && !file.headerUnreadable &&
                              file.badList.empty() &&
                              (front ? std::equal(got.begin(), got.end(), whole.begin())
                                     : std::equal(got.rbegin(), got.rend(), whole.rbegin()));
            if (!fits) why << name << ": not a piece of the file's bytes; ";
            continue;
        }
        const Bytes* want = nullptr;
        if (auto it = expected.keep.find(name); it != expected.keep.end()) want = &it->second;
        if (auto it = expected.maybe.find(name); it != expected.maybe.end()) want = &it->second;
        if (!want) {
            why << name << " is listed but should not exist; ";
            continue;
        }
        if (file.headerUnreadable)
            why << name << ": header unreadable; ";
        else if (!file.badList.empty())
            why << name << ": " << file.badList.size() << " unreadable units; ";
        else if (file.bytes != *want)
            why << name << ": " << file.bytes.size() << " bytes read, " << want->size()
                << " expected, contents differ; ";
    }
    return why.str();
}

bool MatchesWithReport(const Bytes& got, const Bytes& want, const std::vector<std::uint32_t>* bad) {
    if (got.size() != want.size()) return false;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (got[i] == want[i]) continue;
        if (!bad || i < std::size_t(kHeaderDataBytes)) return false;
        const std::uint32_t p = std::uint32_t(1 + (i - kHeaderDataBytes) / kUnitDataBytes);
        if (std::find(bad->begin(), bad->end(), p) == bad->end() || got[i] != 'X') return false;
    }
    return true;
}

Bytes Data(std::size_t size, std::uint32_t seed) {
    return tests::Pattern(size, seed);
}

}  // namespace orv::reliability

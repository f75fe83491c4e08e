// What every reliability test needs: diskettes as copyable images, a document with scripted
// ports on a drive of its own, the format and disk-service workers run in place, and the read
// back of a whole diskette as after a restart.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "disk/drive.h"
#include "disk/memory_medium.h"
#include "host/host_file.h"
#include "ports/worker_dialog_port.h"
#include "support/scripted_user.h"
#include "support/temp_dir.h"
#include "transfer/document.h"
#include "transfer/transfer_fakes.h"

namespace orv::reliability {

using Medium = std::shared_ptr<MemoryMedium>;
using Bytes = std::vector<std::uint8_t>;
using FileSet = std::map<std::string, Bytes>;  // display name -> contents

// ORVALIS_RELIABILITY_LONG=1 asks for the full sweeps.
bool LongRun();
// The default size of a sample: `normal` in an optimised build, `sanitized` in the much slower
// sanitizer build, so that both test builds stay quick.
int DefaultSample(int normal, int sanitized);
// The cut points 1..total to try: all of them in a long run; otherwise the first and last
// `edge` (where the system area is written) and about `middle` evenly spread between.
std::vector<long> SamplePoints(long total, long edge, long middle);
// Records a figure in the test's XML properties and prints it.
void ReportFigure(const std::string& name, long value);

// A copy of a diskette that shares nothing with the original: bytes, faults, no hooks.
Medium Clone(const MemoryMedium& medium);
// A quick-formatted blank diskette with the given label.
Medium FormattedDiskette(const std::string& label);

// The host side: one folder per process for source files and copies.
tests::TempDir& HostDir();
std::string MakeHostFile(const std::string& name, const Bytes& bytes);

// A document on a drive of its own with scripted ports that answer every box with its default
// button and cancel every insert prompt unless told otherwise.
class Rig {
public:
    explicit Rig(Medium medium);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    CDrive drive;
    tests::ScriptedUserPort user;
    tests::InlineProgressRunner runner;
    tests::RecordingReportPort report;
    std::unique_ptr<COrvalisDoc> doc;

    void Insert(const Medium& medium) { drive.InsertMedium(medium); }
    // The texts of every message box and insert prompt shown so far.
    std::vector<std::string> Texts() const;
    // Opens the diskette in the drive; the OpenDiskette code.
    int Open() { return doc->OpenDiskette(); }
    const FileRecord* Listed(const std::string& displayName) const;
    // AddFile of a host file made from bytes.
    int Add(const std::string& name, const Bytes& bytes);
    int Delete(const std::string& displayName);
    // CopyFromDiskette to a new host file; the result, and the bytes in `out`.
    int Copy(const std::string& displayName, Bytes& out);
};

// The outcome of one worker run.
struct WorkerOutcome {
    int result = -1;
    std::vector<std::string> messages;
    std::vector<std::string> uncertainFiles;  // a full test's results: "name.ext (#n)"
    std::vector<DamagedFile> damagedFiles;
};
// The workers run in place on a drive that holds medium, every question answered with its
// default button (the reserve-copy question of the full test defaults to No).
WorkerOutcome RunFormat(const Medium& medium, bool full, const std::string& label = "REL");
WorkerOutcome RunFullTest(const Medium& medium);
// The system parts test; its code (PARTS_*).
int RunSystemPartsTest(const Medium& medium);

// A file as read back from the diskette, with the chain positions that could not be read.
struct ReadBackFile {
    Bytes bytes;
    std::vector<std::uint32_t> badList;
    bool headerUnreadable = false;
};
// The diskette as after a restart: a new document opens it; when that fails the full test
// runs (if allowed) and the document tries again. Every listed file is read back through the
// read loop, going on past unreadable units.
struct ReadBack {
    int openCode = 0;  // of the first open
    bool fullTestRan = false;
    int finalCode = 0;  // of the open that counts
    std::map<std::string, ReadBackFile> files;
    std::vector<std::string> messages;  // boxes shown while opening
};
ReadBack ReadBackDiskette(const Medium& medium, bool allowFullTest);

// What a diskette must hold: files that must read back byte-exact, and files that may be
// absent but, when listed, must be byte-exact too. Nothing else may be listed.
struct Expectation {
    FileSet keep{};
    FileSet maybe{};
    // Pieces of a file spread over diskettes: where the split falls depends on which units
    // refused a write. A listed file named here must hold a leading (prefixes) or trailing
    // (suffixes) piece of these bytes; with piecesRequired it must be listed.
    FileSet prefixes{};
    FileSet suffixes{};
    bool piecesRequired = false;
};
// Empty when the read back meets the expectation, else what is wrong.
std::string Check(const ReadBack& back, const Expectation& expected);

// Byte-exact, or exact outside the chain positions that a copy reported (bad, when given),
// whose units hold 'X'.
bool MatchesWithReport(const Bytes& got, const Bytes& want, const std::vector<std::uint32_t>* bad);

// Empty when the volume in memory holds what the diskette's bytes say (its table and its
// identification: label, stamp, table positions), as a fresh volume reads them; else the
// first difference.
std::string VolumeMatchesDiskette(const CVolume& volume, const Bytes& diskette);

// Deterministic bytes for file contents.
Bytes Data(std::size_t size, std::uint32_t seed);

}  // namespace orv::reliability

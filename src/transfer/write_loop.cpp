// The write loop: runs of up to 18 free units, bad units skipped, the table written at the end.
#include <algorithm>
#include <cstring>

#include "transfer/file_loops.h"

namespace orv {

namespace {

// A diskette whose free units refuse this many writes in a row, with no write landing between,
// is taken to be write-protected (or worn beyond use): a drive that cannot tell us so would
// otherwise be sent a request for every free unit.
constexpr int kRefusalsBeforeStop = kSectorsPerTrack * kHeads;

int Percent(long done, long total) {
    const double p = double(done) / double(total) * 100.0;
    return std::clamp(int(p), 0, 100);
}

// The source as the record describes it: exactly `expected` bytes, no more and no less.
class BoundedSource {
public:
    BoundedSource(HostFile& file, std::int64_t expected) : m_file(file), m_left(expected) {}

    // Up to n bytes; 0 at the expected end (or an early end, which Shrank() then tells);
    // -1 when the file cannot be read.
    long Read(std::uint8_t* buffer, long n) {
        const long want = long(std::min<std::int64_t>(n, m_left));
        if (want <= 0) return 0;
        const long got = m_file.Read(buffer, want);
        if (got < 0) {
            m_bFailed = true;
            return -1;
        }
        m_left -= got;
        if (got < want) m_bShrank = true;
        return got;
    }
    bool Failed() const { return m_bFailed; }
    bool Shrank() const { return m_bShrank; }
    bool AtExpectedEnd() const { return m_left == 0; }
    // At the expected end: whether the file goes on.
    bool Grew() {
        std::uint8_t byte;
        const long more = m_file.Read(&byte, 1);
        if (more < 0) m_bFailed = true;
        return more > 0;
    }

private:
    HostFile& m_file;
    std::int64_t m_left;
    bool m_bFailed = false;
    bool m_bShrank = false;
};

// Up to 18 unit images, each a unit header and up to 507 source bytes; the number filled, or
// 0 when the source has nothing more (or fails, which the source tells).
int FillStaging(BoundedSource& source, StagingBuffer& staging, const FileRecord& record) {
    int filled = 0;
    for (int slot = 0; slot < kStagingUnits; ++slot) {
        std::uint8_t* unit = staging.data() + std::size_t(slot) * kSectorSize;
        const long n = source.Read(unit + kUnitHeaderSize, kUnitDataBytes);
        if (n <= 0) break;
        if (n < kUnitDataBytes)  // keep the rest of a short last unit defined
            std::memset(unit + kUnitHeaderSize + n, 0, std::size_t(kUnitDataBytes - n));
        CVolume::BuildUnitHeader(record, unit);
        ++filled;
        if (n < kUnitDataBytes) break;  // the source ended inside this unit
    }
    return filled;
}

}  // namespace

std::int32_t WriteFileToDiskette(CVolume& volume, HostFile& source, std::int32_t start,
                                 FileRecord& record, IProgressSink* dialog, bool verify,
                                 LoopFailure* failure) {
    LoopFailure local;
    LoopFailure& why = failure ? *failure : local;
    why = LoopFailure{};
    if (!source.Seek(start)) {
        why.hostFile = true;
        return -1;
    }
    const int number = volume.FindFreeFileNumber();
    if (number < 0) return -1;
    int unit = volume.FindFirstFreeUnit();
    if (unit < 0) return -1;

    BoundedSource src(source, std::int64_t(record.size) - start);
    StagingBuffer staging{};
    std::uint8_t* header = staging.data();
    const long firstRead = src.Read(header + kHeaderSize, kHeaderDataBytes);
    if (src.Failed()) {
        why.hostFile = true;
        return -1;
    }
    if (src.Shrank()) {
        why.sourceChanged = true;
        return -1;
    }
    // Nothing behind start: only an empty file is stored (as its header unit alone).
    if (firstRead == 0 && !(start == 0 && record.size == 0)) return 0;

    record.fileNumber = std::uint16_t(number);
    const FileRecord entry = record;

    // The counter runs over the whole file, also on a further diskette: the units of the bytes
    // stored so far as one chain would hold them, which never passes the units of the whole.
    const long total = UnitsForBytes(std::int32_t(entry.size));
    auto unitsFor = [&entry](std::int64_t stored) {
        return long(UnitsForBytes(std::int32_t(std::min<std::int64_t>(stored, entry.size))));
    };
    long done = start == 0 ? 0 : unitsFor(start);
    if (dialog) dialog->SetPercent(Percent(done, total));

    CVolume::BuildHeader(entry, header);
    int cur = 0;       // the buffer's current sector
    int pending = 1;   // sectors of the buffer not yet written
    int run = 1;       // sectors to write at once
    int singles = 0;   // sectors of a failed run still to be written one at a time
    int refusals = 0;  // single-unit writes refused since the last write that landed
    bool headerWritten = false;
    bool sourceDone = false;
    std::int32_t bytes = 0;

    while (unit >= 0) {
        const std::uint8_t* data = staging.data() + std::size_t(cur) * kSectorSize;
        if (volume.Device().WriteSectors(0, unit, run, data) != 0) {
            const IoError cause = volume.LastError();
            if (IsDriveFailure(cause)) {
                why.drive = cause;
                return -1;
            }
            if (run == 1) {
                volume.MarkBad(unit);
                if (++refusals >= kRefusalsBeforeStop) {
                    why.drive = IoError::WriteProtected;
                    return -1;
                }
            } else {
                singles = run;
                run = 1;
            }
        } else {
            refusals = 0;
            volume.SetUnits(unit, number, run);
            bytes += headerWritten ? run * kUnitDataBytes : kHeaderDataBytes;
            headerWritten = true;
            cur += run;
            pending -= run;
            if (singles > 0) singles -= run;
            if (pending == 0) {
                const int filled = FillStaging(src, staging, entry);
                if (src.Failed()) {
                    why.hostFile = true;
                    return -1;
                }
                if (filled == 0) {
                    sourceDone = true;
                } else {
                    cur = 0;
                    pending = run = filled;
                }
            } else {
                run = singles > 0 ? 1 : pending;
            }
            if (dialog) {
                if (dialog->CancelRequested()) {
                    volume.ReleaseFile(number);
                    return -1;
                }
                done = unitsFor(std::int64_t(start) + bytes);
                dialog->SetPercent(Percent(done, total));
                dialog->ShowCounts(done, total);
            }
            if (sourceDone) break;
        }
        int want = run;
        unit = volume.NextRun(want, verify);
        if (unit == -2) {
            why.drive = volume.LastError();
            return -1;
        }
        if (unit >= 0) run = want;
    }

    // What was read must be the file as its record describes it.
    if (sourceDone && (src.Shrank() || (src.AtExpectedEnd() && src.Grew()))) {
        why.sourceChanged = true;
        return -1;
    }
    if (src.Failed()) {
        why.hostFile = true;
        return -1;
    }
    // Not even the header unit found a good unit: nothing of the file is on this diskette,
    // but the units found bad are worth keeping.
    if (!headerWritten) {
        volume.WriteFat();
        return -1;
    }
    const int moved = volume.WriteFat();
    if (moved < 0 || (moved > 0 && volume.WriteIdSectors(nullptr, nullptr) < 0)) {
        if (IsDriveFailure(volume.LastError())) why.drive = volume.LastError();
        return -1;
    }
    return bytes;
}

}  // namespace orv

// The write loop: runs of free units, a cylinder at most, bad units skipped, the table written
// at the end.
#include <algorithm>
#include <cstring>

#include "transfer/file_loops.h"

namespace orv {

namespace {

constexpr int kCylinderSectors = kSectorsPerTrack * kHeads;

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

// The unit images still to be written, in the file's order: the header unit first, then a unit
// header and up to 507 source bytes each. Images do not depend on the unit they go to, so an
// image whose unit refuses the write simply goes to the next free one.
class Staging {
public:
    Staging(BoundedSource& source, const FileRecord& entry) : m_source(source), m_entry(entry) {}

    // The header unit: the entry and up to 448 bytes. False when the source failed or shrank.
    long StartWithHeader() {
        std::uint8_t* header = m_images.data();
        const long n = m_source.Read(header + kHeaderSize, kHeaderDataBytes);
        if (n < 0) return -1;
        CVolume::BuildHeader(m_entry, header);
        m_count = 1;
        m_bHeaderPending = true;
        if (n < kHeaderDataBytes) m_bSourceDone = true;
        return n;
    }
    // Tops the pending images up from the source, so that a run can take a whole cylinder.
    void Refill() {
        if (m_first > 0) {
            std::memmove(m_images.data(), Image(0), std::size_t(m_count) * kSectorSize);
            m_first = 0;
        }
        while (!m_bSourceDone && m_count < kStagingUnits) {
            std::uint8_t* unit = m_images.data() + std::size_t(m_count) * kSectorSize;
            const long n = m_source.Read(unit + kUnitHeaderSize, kUnitDataBytes);
            if (n <= 0) {
                m_bSourceDone = true;
                break;
            }
            if (n < kUnitDataBytes)  // keep the rest of a short last unit defined
                std::memset(unit + kUnitHeaderSize + n, 0, std::size_t(kUnitDataBytes - n));
            CVolume::BuildUnitHeader(m_entry, unit);
            ++m_count;
            if (n < kUnitDataBytes) m_bSourceDone = true;
        }
    }
    int Pending() const { return m_count; }
    const std::uint8_t* Image(int i) const {
        return m_images.data() + std::size_t(m_first + i) * kSectorSize;
    }
    // n images went to the diskette; the data bytes they carried.
    std::int32_t Written(int n) {
        const std::int32_t bytes =
            (m_bHeaderPending ? kHeaderDataBytes + (n - 1) * kUnitDataBytes : n * kUnitDataBytes);
        m_bHeaderPending = false;
        m_first += n;
        m_count -= n;
        return bytes;
    }

private:
    BoundedSource& m_source;
    const FileRecord& m_entry;
    StagingBuffer m_images{};
    int m_first = 0;
    int m_count = 0;
    bool m_bHeaderPending = false;
    bool m_bSourceDone = false;
};

}  // namespace

std::int32_t WriteFileToDiskette(CVolume& volume, HostFile& source, std::int32_t start,
                                 FileRecord& record, IProgressSink* dialog, bool verify,
                                 LoopFailure* failure, bool wholeOnly) {
    LoopFailure local;
    LoopFailure& why = failure ? *failure : local;
    why = LoopFailure{};
    if (!source.Seek(start)) {
        why.hostFile = true;
        return -1;
    }
    const std::optional<int> freeNumber = volume.FindFreeFileNumber();
    const std::optional<int> freeUnit = volume.FindFirstFreeUnit();
    if (!freeNumber || !freeUnit) {
        why.noRoom = true;
        return -1;
    }
    const int number = *freeNumber;
    int unit = *freeUnit;

    record.fileNumber = std::uint16_t(number);
    const FileRecord entry = record;
    BoundedSource src(source, std::int64_t(record.size) - start);
    Staging staging(src, entry);
    const long firstRead = staging.StartWithHeader();
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

    // The counter runs over the whole file, also on a further diskette: the units of the bytes
    // stored so far as one chain would hold them, which never passes the units of the whole.
    const long total = UnitsForBytes(std::int32_t(entry.size));
    auto unitsFor = [&entry](std::int64_t stored) {
        return long(UnitsForBytes(std::int32_t(std::min<std::int64_t>(stored, entry.size))));
    };
    long done = start == 0 ? 0 : unitsFor(start);
    if (dialog) dialog->SetPercent(Percent(done, total));

    // The header unit goes alone to the first free unit; every later run takes as many units
    // as are free one after the other, up to the end of the cylinder, so that the drive gets
    // whole cylinders.
    int run = 1;
    int singles = 0;  // images of a failed run still to be written one at a time
    bool headerWritten = false;
    bool markedBad = false;
    std::int32_t bytes = 0;

    for (;;) {
        if (const Status written = volume.Device().WriteSectors(0, unit, run, staging.Image(0));
            !written) {
            // Only the drive says that the whole diskette takes no write (the tab, a read-only
            // image or device); sectors that refuse, however many in a row, are bad units, and
            // the file goes on past them.
            if (IsDriveFailure(written.Error())) {
                why.drive = written.Error();
                return -1;
            }
            if (run == 1) {
                volume.MarkBad(unit);
                markedBad = true;
            } else {
                singles = run;
            }
        } else {
            volume.SetUnits(unit, number, run);
            bytes += staging.Written(run);
            headerWritten = true;
            if (singles > 0) singles -= run;
            staging.Refill();
            if (src.Failed()) {
                why.hostFile = true;
                return -1;
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
            if (staging.Pending() == 0) break;  // the source is exhausted
        }
        const int want = singles > 0 ? 1 : staging.Pending();
        // Every unit below the one just tried is taken or bad: the search starts there.
        const Result<std::optional<UnitRun>> next = volume.NextRun(want, verify, unit);
        if (!next) {
            why.drive = next.Error();
            return -1;
        }
        if (!*next) break;  // the diskette is full
        const UnitRun& found = **next;
        unit = found.first;
        const int cylinderEnd = (unit / kCylinderSectors + 1) * kCylinderSectors;
        run = std::min(found.count, cylinderEnd - unit);
    }

    // What was read must be the file as its record describes it.
    if (staging.Pending() == 0 && (src.Shrank() || (src.AtExpectedEnd() && src.Grew()))) {
        why.sourceChanged = true;
        return -1;
    }
    if (src.Failed()) {
        why.hostFile = true;
        return -1;
    }
    // The units written hold a file that no table names: they are free again. Only the units
    // found bad need the table written.
    if (wholeOnly && staging.Pending() > 0) {
        volume.ReleaseFile(number);
        // Should this write fail, the units stay free in memory and unused on the diskette.
        if (markedBad) (void)volume.WriteFat();
        why.noRoom = true;
        return -1;
    }
    // Not even the header unit found a good unit: nothing of the file is on this diskette,
    // but the units found bad are worth keeping.
    if (!headerWritten) {
        why.noUnitTookHeader = true;
        const Result<int> marked = volume.WriteFat();  // the marks are worth keeping
        if (!marked && IsDriveFailure(marked.Error())) why.drive = marked.Error();
        return -1;
    }
    const Result<int> moved = volume.WriteFat();
    const Status recorded =
        moved && *moved > 0 ? volume.WriteIdSectors(nullptr, nullptr) : moved.GetStatus();
    if (!recorded) {
        if (IsDriveFailure(recorded.Error())) why.drive = recorded.Error();
        return -1;
    }
    return bytes;
}

}  // namespace orv

// The write loop: runs of up to 18 free units, bad units skipped, the table written at the end.
#include <algorithm>
#include <cstring>

#include "transfer/file_loops.h"

namespace orv {

namespace {

int Percent(long done, long total) {
    const double p = double(done) / double(total) * 100.0;
    return std::clamp(int(p), 0, 100);
}

}  // namespace

std::int32_t WriteFileToDiskette(CVolume& volume, HostFile& source, std::int32_t start,
                                 FileRecord& record, IProgressSink* dialog, bool verify) {
    if (!source.Seek(start)) return -1;
    const int number = volume.FindFreeFileNumber();
    if (number < 0) return -1;
    int unit = volume.FindFirstFreeUnit();
    if (unit < 0) return -1;

    StagingBuffer staging{};
    std::uint8_t* header = staging.data();
    const int firstRead = ReadHostFile(source, header + kHeaderSize, kHeaderDataBytes);
    // Nothing behind start: only an empty file is stored (as its header unit alone).
    if (firstRead < 0 && !(start == 0 && record.size == 0)) return 0;

    record.fileNumber = std::uint16_t(number);
    const FileRecord entry = record;

    const long total = std::max<long>(long(entry.size) / kUnitDataBytes, 1);
    long done = start == 0 ? 0 : UnitsForBytes(start);
    if (dialog) dialog->SetPercent(Percent(done, total));

    CVolume::BuildHeader(entry, header);
    int cur = 0;         // the buffer's current sector
    int pending = 1;     // sectors of the buffer not yet written
    int run = 1;         // sectors to write at once
    int singles = 0;     // sectors of a failed run still to be written one at a time
    bool headerWritten = false;
    std::int32_t bytes = 0;

    while (unit >= 0) {
        const std::uint8_t* data = staging.data() + std::size_t(cur) * kSectorSize;
        if (volume.Device().WriteSectors(0, unit, run, data) != 0) {
            if (run == 1) {
                volume.MarkBad(unit);
            } else {
                singles = run;
                run = 1;
            }
        } else {
            volume.SetUnits(unit, number, run);
            bytes += headerWritten ? run * kUnitDataBytes : kHeaderDataBytes;
            headerWritten = true;
            const int written = run;
            cur += run;
            pending -= run;
            if (singles > 0) singles -= run;
            if (pending == 0) {
                const int filled = CVolume::FillStaging(source, staging, entry);
                if (filled < 0) {
                    unit = -1;  // the source is exhausted
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
                done += written;
                dialog->SetPercent(Percent(done, total));
                dialog->ShowCounts(done, total);
            }
            if (unit < 0) break;
        }
        int want = run;
        unit = volume.NextRun(want, verify);
        if (unit >= 0) run = want;
    }

    // Not even the header unit found a good unit: nothing of the file is on this diskette.
    if (!headerWritten) {
        volume.WriteFat();
        return -1;
    }
    const int moved = volume.WriteFat();
    if (moved < 0) return -1;
    if (moved > 0 && volume.WriteIdSectors(nullptr, nullptr) < 0) return -1;
    return bytes;
}

}  // namespace orv

// The read loop: the file's units in ascending order, one unit per request, filler for units
// that cannot be read, or that do not carry the file's tag, when the caller chose to go on past
// them.
#include <algorithm>
#include <cstring>

#include "transfer/file_loops.h"

namespace orv {

namespace {

void Report(IProgressSink* dialog, long done, long capacity) {
    if (!dialog) return;
    dialog->SetPercent(std::clamp(int(double(done) / double(capacity) * 100.0), 0, 100));
    dialog->ShowCounts(done, capacity);
}

}  // namespace

std::int32_t ReadFileFromDiskette(CVolume& volume, const ChainTag& tag, HostFile& target,
                                  std::int32_t count, std::int32_t already, bool continuePast,
                                  std::vector<std::uint32_t>* badList, IProgressSink* dialog,
                                  LoopFailure* failure) {
    LoopFailure local;
    LoopFailure& why = failure ? *failure : local;
    why = LoopFailure{};
    CChainReader chain(volume, tag);
    const int n = chain.Count();
    if (n < 0) return -1;
    if (badList) badList->clear();
    const long capacity = BytesInUnits(n);
    if (dialog) dialog->SetPercent(1);
    if (count < 0) return -1;

    std::array<std::uint8_t, kSectorSize> sector;
    std::int32_t written = 0;  // by this call
    long done = already > 0 ? already : 0;
    int position = 1;
    if (already > 0) {
        Report(dialog, done, capacity);
        // A first pass stops after whole units: resume at the unit where it stopped.
        const std::int32_t behind = std::max(already - kHeaderDataBytes, 0);
        position = 1 + (behind + kUnitDataBytes - 1) / kUnitDataBytes;
    } else {
        const ChainUnit header = chain.Read(0, sector.data());
        if (header.how != UnitRead::Own) {
            if (header.DriveFailed()) why.drive = header.cause;
            return -1;
        }
        const int k = std::min(count, kHeaderDataBytes);
        if (WriteHostFile(target, sector.data() + kHeaderSize, k) != 0) {
            why.hostFile = true;
            return -1;
        }
        written += k;
        done += k;
        Report(dialog, done, capacity);
    }

    for (int p = position; p < n && written < count; ++p) {
        const ChainUnit unit = chain.Read(std::uint32_t(p), sector.data());
        if (unit.how != UnitRead::Own) {
            // An empty drive is not a diskette full of bad units: stop rather than fill.
            if (unit.DriveFailed()) {
                why.drive = unit.cause;
                break;
            }
            if (!continuePast) break;
            std::memset(sector.data(), kCopyFiller, sector.size());
            if (badList) badList->push_back(std::uint32_t(p));
        }
        const int k = std::min(count - written, kUnitDataBytes);
        if (WriteHostFile(target, sector.data() + kUnitHeaderSize, k) != 0) {
            why.hostFile = true;
            break;
        }
        written += k;
        done += k;
        if (dialog) {
            if (dialog->CancelRequested()) return -1;
            Report(dialog, done, capacity);
        }
    }
    if (dialog && written == count) dialog->SetPercent(100);
    return written;
}

}  // namespace orv

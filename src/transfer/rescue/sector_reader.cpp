#include "transfer/rescue/sector_reader.h"

#include <algorithm>

namespace orv {

namespace {

constexpr int kCylinderSectors = kSectorsPerTrack * kHeads;

class Reader {
public:
    Reader(CDrive& drive, const SectorSet& wanted, std::uint8_t* image, SectorSet& got,
           IProgressSink* sink, DriveReadOutcome& outcome)
        : m_drive(drive),
          m_total(long(wanted.count())),
          m_image(image),
          m_got(got),
          m_sink(sink),
          m_outcome(outcome) {}

    // One request for [first, first + count); false when it failed. A failure of the whole
    // drive is kept in the outcome and ends everything.
    bool Request(int first, int count) {
        const Status read =
            m_drive.ReadDirect(first, count, m_image + std::size_t(first) * kSectorSize);
        if (read) {
            for (int s = first; s < first + count; ++s) m_got.set(std::size_t(s));
            m_done += count;
            return true;
        }
        if (IsDriveFailure(read.Error())) m_outcome.driveFailure = read.Error();
        return false;
    }
    bool Stopped() const { return m_outcome.driveFailure != IoError::None || m_outcome.cancelled; }
    // Between two requests: the progress, and whether the user asked to stop.
    void Report() {
        if (!m_sink) return;
        m_sink->SetPercent(m_total ? int(m_done * 100 / m_total) : 100);
        m_sink->ShowCounts(m_done, m_total);
        if (m_sink->CancelRequested()) m_outcome.cancelled = true;
    }

private:
    CDrive& m_drive;
    long m_total;
    long m_done = 0;
    std::uint8_t* m_image;
    SectorSet& m_got;
    IProgressSink* m_sink;
    DriveReadOutcome& m_outcome;
};

// The runs of wanted sectors in [first, end): pairs of first sector and count.
std::vector<std::pair<int, int>> Runs(const SectorSet& wanted, int first, int end) {
    std::vector<std::pair<int, int>> runs;
    for (int s = first; s < end;) {
        if (!wanted.test(std::size_t(s))) {
            ++s;
            continue;
        }
        int e = s;
        while (e < end && wanted.test(std::size_t(e))) ++e;
        runs.emplace_back(s, e - s);
        s = e;
    }
    return runs;
}

}  // namespace

void ReadInDriveOrder(CDrive& drive, const SectorSet& wanted, int retries, std::uint8_t* image,
                      SectorSet& got, IProgressSink* sink, DriveReadOutcome& outcome) {
    outcome = DriveReadOutcome{};
    Reader reader(drive, wanted, image, got, sink, outcome);
    std::vector<int> alone;    // in a request that failed; not yet read alone
    std::vector<int> failing;  // failed when read alone
    auto failed = [&](int a, int b) {
        for (int s = a; s < b; ++s) (b - a == 1 ? failing : alone).push_back(s);
    };
    for (int cylinder = 0; cylinder < kCylinders && !reader.Stopped(); ++cylinder) {
        const int first = cylinder * kCylinderSectors;
        for (const auto& [start, count] : Runs(wanted, first, first + kCylinderSectors)) {
            if (reader.Request(start, count) || reader.Stopped()) continue;
            const int end = start + count;
            if (start / kSectorsPerTrack == (end - 1) / kSectorsPerTrack) {
                failed(start, end);
                continue;
            }
            // Which track holds the trouble is found while the head is still here.
            for (int t = start / kSectorsPerTrack; t * kSectorsPerTrack < end; ++t) {
                const int a = std::max(start, t * kSectorsPerTrack);
                const int b = std::min(end, (t + 1) * kSectorsPerTrack);
                if (reader.Stopped()) break;
                if (!reader.Request(a, b - a) && !reader.Stopped()) failed(a, b);
            }
        }
        reader.Report();
    }
    for (int s : alone) {
        if (reader.Stopped()) break;
        if (!reader.Request(s, 1) && !reader.Stopped()) failing.push_back(s);
        reader.Report();
    }
    std::sort(failing.begin(), failing.end());
    // Each round tries every sector that still fails once, so that a drive that needs time (or
    // a cleaned head) gets it between two tries of one sector.
    for (int round = 0; round < retries && !failing.empty() && !reader.Stopped(); ++round) {
        std::vector<int> still;
        for (int s : failing) {
            if (reader.Stopped()) break;
            if (!reader.Request(s, 1) && !reader.Stopped()) still.push_back(s);
            reader.Report();
        }
        failing = std::move(still);
    }
}

std::vector<int> SectorList(const SectorSet& sectors) {
    std::vector<int> list;
    for (int s = 0; s < kSectorCount; ++s)
        if (sectors.test(std::size_t(s))) list.push_back(s);
    return list;
}

std::string SectorRangesText(const SectorSet& sectors) {
    std::string text;
    for (const auto& [first, count] : Runs(sectors, 0, kSectorCount)) {
        if (!text.empty()) text += ", ";
        text += std::to_string(first);
        if (count > 1) text += "-" + std::to_string(first + count - 1);
    }
    return text;
}

}  // namespace orv

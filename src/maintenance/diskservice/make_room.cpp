#include "maintenance/diskservice/make_room.h"

#include <algorithm>
#include <limits>

namespace orv {

namespace {

constexpr int kRoomNeeded = kFatSectorCount + 1;  // "more than 11" free units

struct Candidate {
    int number = 0;
    int units = 0;
};

// The subset of files with the fewest units in all that reaches need, fewer files breaking
// ties; empty when the files together fall short.
std::vector<Candidate> PlanRelease(const std::vector<Candidate>& files, int need) {
    if (need <= 0) return {};
    // Files of at least need units: the smallest one alone.
    const Candidate* single = nullptr;
    for (const Candidate& c : files)
        if (c.units >= need && (!single || c.units < single->units)) single = &c;

    // Files below need: a 0/1 knapsack over exact sums below 2 * need (adding a file below need
    // to a sum below need stays below 2 * need), keeping the fewest files per sum.
    std::vector<const Candidate*> small;
    for (const Candidate& c : files)
        if (c.units < need) small.push_back(&c);
    const int limit = 2 * need;
    constexpr int kNone = std::numeric_limits<int>::max();
    std::vector<int> count(std::size_t(limit), kNone);
    // taken[i][s]: file i was added to reach sum s at its step.
    std::vector<std::vector<bool>> taken(small.size(), std::vector<bool>(std::size_t(limit)));
    count[0] = 0;
    for (std::size_t i = 0; i < small.size(); ++i) {
        const int w = small[i]->units;
        for (int s = limit - 1; s >= w; --s) {
            if (count[std::size_t(s - w)] == kNone) continue;
            if (count[std::size_t(s - w)] + 1 < count[std::size_t(s)]) {
                count[std::size_t(s)] = count[std::size_t(s - w)] + 1;
                taken[i][std::size_t(s)] = true;
            }
        }
    }
    int best = -1;
    for (int s = need; s < limit; ++s) {
        if (count[std::size_t(s)] != kNone) {
            best = s;
            break;
        }
    }

    std::vector<Candidate> plan;
    if (single && (best < 0 || single->units < best ||
                   (single->units == best && count[std::size_t(best)] > 1))) {
        plan.push_back(*single);
        return plan;
    }
    if (best < 0) return {};
    for (std::size_t i = small.size(), s = std::size_t(best); i-- > 0 && s > 0;) {
        if (!taken[i][s]) continue;
        plan.push_back(*small[i]);
        s -= std::size_t(small[i]->units);
    }
    return plan;
}

int Units(const std::vector<Candidate>& files) {
    int n = 0;
    for (const Candidate& c : files) n += c.units;
    return n;
}

}  // namespace

int MakeRoom(CVolume& volume) {
    const int target = volume.FreeUnitCount() + kRoomNeeded;
    std::vector<int> numbers;
    volume.ListFileNumbers(numbers);
    std::vector<Candidate> unreadable, readable;
    for (int number : numbers) {
        Candidate c{number, int(volume.Fat().Count(std::uint16_t(number)))};
        FileRecord record;
        (volume.ReadEntry(number) ? readable : unreadable).push_back(c);
    }

    const int need = target - volume.FreeUnitCount();
    std::vector<Candidate> plan;
    if (Units(unreadable) >= need) {
        plan = PlanRelease(unreadable, need);
    } else {
        plan = PlanRelease(readable, need - Units(unreadable));
        if (plan.empty()) return -1;
        plan.insert(plan.begin(), unreadable.begin(), unreadable.end());
    }
    // One at a time, counting after each, as the table write will after the call.
    std::stable_sort(plan.begin(), plan.end(),
                     [](const Candidate& a, const Candidate& b) { return a.units < b.units; });
    for (const Candidate& c : plan) {
        volume.ReleaseFile(c.number);
        if (volume.FreeUnitCount() >= target) return 0;
    }
    return -1;
}

}  // namespace orv

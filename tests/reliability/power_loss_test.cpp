// Power loss at every sector write of every operation, with the last write landing whole, as
// garbage or leaving its sector unreadable, or behind a write-back cache that lets any of the
// writes since the last barrier reach the platter or not. After each cut the diskettes are read
// back as after a restart (the full test runs when a diskette does not open).
#include <gtest/gtest.h>

#include <tuple>

#include "reliability/operations.h"

namespace orv::reliability {
namespace {

using Torn = MemoryMedium::Torn;

// How the cut falls.
enum class Cut {
    Whole,        // every write before it landed, in order, the last one whole
    Garbage,      // the last write holds garbage
    Unreadable,   // the last write left its sector unreadable
    Reordered,    // a write-back cache: of the writes since the last barrier, any may be lost
    NewestFirst,  // the same, written back newest first: all but the oldest reached the platter
};

const char* CutName(Cut cut) {
    switch (cut) {
        case Cut::Whole:
            return "Whole";
        case Cut::Garbage:
            return "Garbage";
        case Cut::Unreadable:
            return "Unreadable";
        case Cut::Reordered:
            return "Reordered";
        case Cut::NewestFirst:
            return "NewestFirst";
    }
    return "?";
}

Torn TornOf(Cut cut) {
    return cut == Cut::Garbage      ? Torn::Garbage
           : cut == Cut::Unreadable ? Torn::Unreadable
                                    : Torn::None;
}

std::vector<Medium> CloneAll(const std::vector<Medium>& media) {
    std::vector<Medium> copies;
    for (const Medium& m : media) copies.push_back(Clone(*m));
    return copies;
}

std::string CheckAll(const std::vector<Medium>& media, const std::vector<Expectation>& expected) {
    std::string why;
    for (std::size_t i = 0; i < media.size(); ++i) {
        media[i]->SetHooks({});  // the restart
        const std::string w = Check(ReadBackDiskette(media[i], true), expected[i]);
        if (!w.empty()) why += "diskette " + std::to_string(i) + ": " + w;
    }
    return why;
}

class PowerLoss : public ::testing::TestWithParam<std::tuple<std::string, Cut>> {};

TEST_P(PowerLoss, EveryCutLeavesAConsistentDiskette) {
    const auto& [name, cut] = GetParam();
    const Operation op = MakeOperation(name);
    ASSERT_FALSE(op.before.empty());

    // The operation run to its end: how many sector writes it makes on each diskette.
    std::vector<Medium> media = CloneAll(op.before);
    WorkerOutcome outcome;
    ASSERT_EQ(op.run(media, outcome), 0) << ::testing::PrintToString(outcome.messages);
    std::vector<long> writes;
    long total = 0, flushes = 0;
    for (const Medium& m : media) {
        writes.push_back(m->SectorWrites());
        total += m->SectorWrites();
        flushes += m->Flushes();
    }
    ASSERT_EQ(CheckAll(media, op.done), "");
    ASSERT_GT(total, 0);
    // The order on the medium costs a few barriers an operation, not one a sector.
    EXPECT_LE(flushes, 4 * long(media.size()) + 2) << name;

    long cuts = 0;
    for (long k : SamplePoints(total, DefaultSample(40, 10), DefaultSample(30, 6))) {
        media = CloneAll(op.before);
        // The diskettes take their writes one after the other: the cut falls on the one whose
        // writes hold the k-th; the later ones lose every write.
        long offset = 0;
        for (std::size_t i = 0; i < media.size(); ++i) {
            MemoryMedium::Hooks hooks;
            hooks.writeBack = cut == Cut::Reordered || cut == Cut::NewestFirst;
            hooks.oldestLost = cut == Cut::NewestFirst;
            hooks.writeBackSeed = std::uint32_t(k * 7919 + long(i));
            if (k <= offset) {
                hooks.powerLossAfterWrites = 0;
            } else if (k <= offset + writes[i]) {
                hooks.powerLossAfterWrites = k - offset;
                hooks.tornLast = TornOf(cut);
            }
            media[i]->SetHooks(hooks);
            offset += writes[i];
        }
        WorkerOutcome ignored;
        op.run(media, ignored);
        const std::string why = CheckAll(media, op.interrupted);
        ASSERT_EQ(why, "") << name << ", power lost after write " << k << " of " << total << " ("
                           << CutName(cut) << ")";
        ++cuts;
    }
    ReportFigure("cut_points", cuts);
    ReportFigure("sector_writes", total);
    ReportFigure("barriers", flushes);
}

INSTANTIATE_TEST_SUITE_P(Operations, PowerLoss,
                         ::testing::Combine(::testing::ValuesIn(OperationNames(true)),
                                            ::testing::Values(Cut::Whole, Cut::Garbage,
                                                              Cut::Unreadable, Cut::Reordered,
                                                              Cut::NewestFirst)),
                         [](const ::testing::TestParamInfo<PowerLoss::ParamType>& info) {
                             return std::get<0>(info.param) + "_" +
                                    CutName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace orv::reliability

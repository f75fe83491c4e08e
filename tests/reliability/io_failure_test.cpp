// The N-th read or write request of an operation fails, once or from then on. The operation
// ends in success or in a failure that it reports, and afterwards the diskette holds the files
// it held before the operation or those it holds after it (a table write cut short may need
// the full test first).
#include <gtest/gtest.h>

#include <tuple>

#include "reliability/operations.h"

namespace orv::reliability {
namespace {

// Besides failing requests, the diskette may be pulled: from a request on, every request fails
// for want of a diskette, and the operation must stop within a few more.
enum class Failure { ReadOnce, ReadFromThen, WriteOnce, WriteFromThen, Pulled };

const char* FailureName(Failure f) {
    switch (f) {
        case Failure::ReadOnce:
            return "ReadOnce";
        case Failure::ReadFromThen:
            return "ReadPersistent";
        case Failure::WriteOnce:
            return "WriteOnce";
        case Failure::WriteFromThen:
            return "WritePersistent";
        case Failure::Pulled:
            return "Pulled";
    }
    return "?";
}

bool IsRead(Failure f) {
    return f == Failure::ReadOnce || f == Failure::ReadFromThen;
}

class IoFailure : public ::testing::TestWithParam<std::tuple<std::string, Failure>> {};

TEST_P(IoFailure, EndsReportedAndLeavesTheOldOrTheNewState) {
    const auto& [name, failure] = GetParam();
    const Operation op = MakeOperation(name);
    ASSERT_FALSE(op.before.empty());

    std::vector<Medium> media;
    for (const Medium& m : op.before) media.push_back(Clone(*m));
    WorkerOutcome outcome;
    ASSERT_EQ(op.run(media, outcome), 0);
    const long requests = failure == Failure::Pulled
                              ? media[0]->ReadRequests() + media[0]->WriteRequests()
                          : IsRead(failure) ? media[0]->ReadRequests()
                                            : media[0]->WriteRequests();
    if (requests == 0) GTEST_SKIP() << name << " makes no such request";

    long runs = 0, failed = 0, fullTests = 0;
    for (long n : SamplePoints(requests, DefaultSample(15, 5), DefaultSample(30, 8))) {
        media.clear();
        for (const Medium& m : op.before) media.push_back(Clone(*m));
        MemoryMedium::Hooks hooks;
        if (failure == Failure::Pulled)
            hooks.pullAfterRequests = n - 1;
        else
            (IsRead(failure) ? hooks.failReadRequest : hooks.failWriteRequest) = n;
        hooks.failPersistent =
            failure == Failure::ReadFromThen || failure == Failure::WriteFromThen;
        media[0]->SetHooks(hooks);

        WorkerOutcome result;
        const int rc = op.run(media, result);
        const std::string at = name + ", request " + std::to_string(n) + " of " +
                               std::to_string(requests) + " fails (" + FailureName(failure) + ")";
        ASSERT_NE(rc, -2) << at << ": the copy delivered wrong bytes without a report";
        if (rc != 0) {
            ++failed;
            ASSERT_FALSE(result.messages.empty()) << at << ": failed without a message";
        }
        // A drive without a diskette is asked a few times at most: by the operation that meets
        // it, and by the checks that follow a failure.
        ASSERT_LE(media[0]->RequestsAfterPull(), 12) << at;
        for (std::size_t i = 0; i < media.size(); ++i) {
            media[i]->SetHooks({});
            const ReadBack back = ReadBackDiskette(media[i], true);
            fullTests += back.fullTestRan;
            const Expectation& expected = rc == 0 ? op.done[i] : op.interrupted[i];
            ASSERT_EQ(Check(back, expected), "") << at << ", diskette " << i;
        }
        ++runs;
    }
    ReportFigure("runs", runs);
    ReportFigure("failed_runs", failed);
    ReportFigure("full_tests_needed", fullTests);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, IoFailure,
    ::testing::Combine(::testing::ValuesIn(OperationNames(false)),
                       ::testing::Values(Failure::ReadOnce, Failure::ReadFromThen,
                                         Failure::WriteOnce, Failure::WriteFromThen,
                                         Failure::Pulled)),
    [](const ::testing::TestParamInfo<IoFailure::ParamType>& info) {
        return std::get<0>(info.param) + "_" + FailureName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace orv::reliability

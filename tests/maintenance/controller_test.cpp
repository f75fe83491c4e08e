// The format and disk service dialogs without windows: Start, Cancel, the tick, the finishing
// step and the hand-over to the full test.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "maintenance/diskservice/service_controller.h"
#include "maintenance/format/format_controller.h"
#include "maintenance_fixture.h"
#include "support/scoped_clock.h"

namespace orv::tests {
namespace {

// Ticks as the 400 ms timer would, until the dialog is idle again.
template <typename Controller>
void TickUntilIdle(Controller& c) {
    for (int i = 0; i < 20000 && c.TimerActive(); ++i) {
        c.Tick();
        if (c.TimerActive()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(c.TimerActive());
}

class FormatControllerTest : public ::testing::Test {
protected:
    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    ScriptedUser user;
    RecordingView view;
    CFormatController dialog{&disk.Drive(), user, view, WorkerLaunch::Inline};
};

TEST_F(FormatControllerTest, FormatShowsResultsAndReturnsToIdle) {
    dialog.m_options.label = "DATA";
    ASSERT_TRUE(dialog.Start());
    EXPECT_EQ(view.statuses.front(), "Initializing...");
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(view.busy);
    dialog.Tick();
    ASSERT_EQ(view.results.size(), 1u);
    const ResultsTexts& r = view.results[0];
    EXPECT_EQ(r.title, "Results - Diskette 3,5.(Halvorn)");
    EXPECT_EQ(r.total, "1 427 712");
    EXPECT_EQ(r.freeBytes, "1 427 712");
    EXPECT_EQ(r.systemBytes, "0");
    EXPECT_EQ(r.badBytes, "0");
    EXPECT_EQ(r.label, "DATA");
    EXPECT_EQ(view.status, "Done...");
    EXPECT_EQ(view.progress, 0);
    EXPECT_FALSE(view.busy);
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(dialog.m_nState, 1);
    EXPECT_EQ(dialog.LastOutcome(), 0);
    dialog.Tick();  // a late tick does nothing more
    EXPECT_EQ(view.results.size(), 1u);
}

TEST_F(FormatControllerTest, NoLabelAndNoResultsOptionsAreResetAfterwards) {
    dialog.m_options.label = "IGNORED";
    dialog.m_options.noLabel = 1;
    EXPECT_FALSE(dialog.LabelEnabled());
    ASSERT_TRUE(dialog.Start());
    dialog.Tick();
    ASSERT_EQ(view.results.size(), 1u);
    EXPECT_EQ(view.results[0].label, "");
    EXPECT_EQ(dialog.m_options.noLabel, 0);
    EXPECT_TRUE(dialog.LabelEnabled());

    dialog.m_options.displayResults = 0;
    ASSERT_TRUE(dialog.Start());
    dialog.Tick();
    EXPECT_EQ(view.results.size(), 1u);
    EXPECT_EQ(dialog.m_options.displayResults, 1);
}

TEST_F(FormatControllerTest, CancelHasThreeStates) {
    dialog.Cancel();  // idle: the dialog closes
    EXPECT_TRUE(view.closed);
    view.closed = false;

    disk.Faults().SetWriteProtected(true);  // a format that stops with a message
    ASSERT_TRUE(dialog.Start());
    EXPECT_EQ(dialog.m_nState, 0);
    dialog.Cancel();  // running: only a request
    EXPECT_EQ(dialog.m_nState, -1);
    dialog.Cancel();  // requested: nothing more
    EXPECT_EQ(dialog.m_nState, -1);
    EXPECT_FALSE(view.closed);
    dialog.Tick();
    EXPECT_TRUE(view.results.empty());  // a stopped format shows no results
    EXPECT_EQ(view.status, "Format interrupted");
    EXPECT_EQ(dialog.m_nState, 1);
    EXPECT_EQ(dialog.LastOutcome(), -1);
}

TEST_F(FormatControllerTest, StoppedFormatWithoutCancelSaysDone) {
    disk.Faults().SetWriteProtected(true);
    ASSERT_TRUE(dialog.Start());
    dialog.Tick();
    EXPECT_TRUE(view.results.empty());
    EXPECT_EQ(view.status, "Done...");
}

TEST(FormatControllerThread, CancelDuringAFullFormatInterruptsIt) {
    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    ScriptedUser user;
    RecordingView view;
    CFormatController dialog(&disk.Drive(), user, view, WorkerLaunch::Thread);
    dialog.m_options.formatType = 1;
    view.onProgress = [&](int position) {  // the user presses Cancel halfway through the scan
        if (position == 40) dialog.RequestStop();
    };
    ASSERT_TRUE(dialog.Start());
    TickUntilIdle(dialog);
    EXPECT_EQ(dialog.LastOutcome(), -1);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{"Format interrupted"});
    EXPECT_TRUE(view.results.empty());
    EXPECT_EQ(view.status, "Format interrupted");
    EXPECT_EQ(dialog.m_nState, 1);
}

class ServiceControllerTest : public ::testing::Test {
protected:
    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    ScriptedUser user;
    RecordingView view;
    CDiskServiceController dialog{&disk.Drive(), user, view, WorkerLaunch::Inline};
};

TEST_F(ServiceControllerTest, YesToTheOfferedFullTestRunsItWithoutAnotherClick) {
    FormatQuick(disk);
    for (int s = 1; s <= 3; ++s) disk.PutRaw(s, SectorImage{});
    disk.PutRaw(kReserveIdSector, SectorImage{});
    user.Push(Answer::Yes);  // run the full test
    user.Push(Answer::Yes);  // continue without ID sectors
    dialog.m_nTestType = TEST_SYSTEM_PARTS;
    ASSERT_TRUE(dialog.Start());
    EXPECT_EQ(view.statuses.front(), "Scaning diskette...");
    TickUntilIdle(dialog);
    EXPECT_EQ(dialog.m_nTestType, TEST_FULL);  // the radio group shows "Full test."
    ASSERT_EQ(view.results.size(), 1u);        // only the full test has results
    EXPECT_EQ(view.results[0].title, "Test result - Diskette 3,5.");
    EXPECT_EQ(view.results[0].freeBytes, "1 427 712");
    EXPECT_EQ(dialog.LastOutcome(), 0);
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(view.progress, 0);
    EXPECT_FALSE(view.busy);
    CVolume volume(&disk.Drive());
    EXPECT_TRUE(OpenVolume(volume));
}

TEST_F(ServiceControllerTest, RepairOfSectorZeroNeverShowsResults) {
    dialog.m_nTestType = TEST_REPAIR0;
    ASSERT_TRUE(dialog.Start());
    TickUntilIdle(dialog);
    EXPECT_TRUE(view.results.empty());
    EXPECT_EQ(dialog.LastOutcome(), 0);
    EXPECT_EQ(user.Texts(), std::vector<std::string>{"Sector #0 was successfully repaired."});
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(view.progress, 0);
}

TEST_F(ServiceControllerTest, CancelStatesAndTheTurningDrive) {
    dialog.Cancel();
    EXPECT_TRUE(view.closed);
    view.closed = false;
    FormatQuick(disk);
    dialog.m_nTestType = TEST_SYSTEM_PARTS;
    ASSERT_TRUE(dialog.Start());
    dialog.Cancel();
    EXPECT_EQ(dialog.m_nState, -1);
    dialog.Cancel();
    EXPECT_EQ(dialog.m_nState, -1);
    EXPECT_FALSE(view.closed);
    dialog.Tick();
    EXPECT_TRUE(view.results.empty());  // cancelled before the finishing step: nothing shown
    EXPECT_EQ(dialog.m_nState, 1);
    // The drive turns one phase per tick, 140, 141, 142 and round again.
    ASSERT_FALSE(view.icons.empty());
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(dialog.Start());
        dialog.Tick();
    }
    for (std::size_t i = 1; i < view.icons.size(); ++i)
        EXPECT_EQ(view.icons[i], 140 + (view.icons[i - 1] - 140 + 1) % 3);
}

TEST_F(ServiceControllerTest, UnknownTestTypeIsARadioError) {
    dialog.m_nTestType = 3;
    EXPECT_FALSE(dialog.Start());
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text, "Radio Error !!!");
    EXPECT_EQ(user.Shown()[0].icon, Icon::Stop);
    EXPECT_TRUE(view.closed);
}

TEST(ServiceControllerThread, FullTestOnAWorkerThread) {
    ScopedClock clock{kTestNow};
    MemoryDisk disk;
    FormatQuick(disk);
    ScriptedUser user;
    RecordingView view;
    CDiskServiceController dialog(&disk.Drive(), user, view, WorkerLaunch::Thread);
    dialog.m_nTestType = TEST_FULL;
    ASSERT_TRUE(dialog.Start());
    TickUntilIdle(dialog);
    EXPECT_EQ(dialog.LastOutcome(), 0);
    ASSERT_EQ(view.results.size(), 1u);
    EXPECT_TRUE(user.Shown().empty());
}

}  // namespace
}  // namespace orv::tests

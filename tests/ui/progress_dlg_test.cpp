// The progress dialog with a real worker thread: the result after OK, Cancel answered No (the
// worker waits while the question is open, then goes on), Cancel confirmed during the closing
// pause, workers that never report, and the updates reaching the controls.
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "ui/progress/progress_dlg.h"
#include "ui/progress/progress_runner.h"
#include "ui/progress/time_left.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

using namespace std::chrono_literals;

constexpr const char* kQuestion = "Do you really want to interrupt this action ?";

ProgressSpec AddSpec() {
    ProgressSpec display;
    display.title = "Adding file, please wait...";
    display.fileLine = "/tmp/source.txt";
    display.countFormat = "%ld sectors of %ld sectors added";
    display.askBeforeCancel = true;
    display.cancelQuestion = kQuestion;
    return display;
}

CProgressDlg* ShownProgressDialog() {
    return qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
}

// Presses Storno once the dialog is up and the delay has passed.
void PressStornoAfter(int ms) {
    QTimer::singleShot(ms, [] {
        if (!WaitUntil([] { return ShownProgressDialog() != nullptr; }, 5000)) return;
        for (QPushButton* b : ShownProgressDialog()->findChildren<QPushButton*>())
            if (b->text() == "&Storno") b->click();
    });
}

class ProgressDlgTest : public ::testing::Test {
protected:
    HookedUser user;
    CProgressRunner runner{user};
    QElapsedTimer clock;
    void SetUp() override { clock.start(); }
};

TEST(TimeLeft, AnEstimateComesFromThePaceSinceTheFirstReport) {
    using namespace std::chrono_literals;
    CTimeLeft left;
    const auto t0 = CTimeLeft::Clock::now();
    EXPECT_FALSE(left.Update(1000, 3000, t0));        // a further diskette begins at 1000
    EXPECT_FALSE(left.Update(1400, 3000, t0 + 1s));   // too soon to tell
    EXPECT_EQ(left.Update(1400, 3000, t0 + 4s), 16);  // 400 in 4 s: 1600 take 16 s
    EXPECT_EQ(left.Update(3000, 3000, t0 + 9s), 0);

    CTimeLeft stuck;
    stuck.Update(0, 10, t0);
    EXPECT_FALSE(stuck.Update(0, 10, t0 + 60s));  // nothing moved: no guess

    EXPECT_EQ(TimeLeftText(0), "");
    EXPECT_EQ(TimeLeftText(40), "About 40 s left");
    EXPECT_EQ(TimeLeftText(80), "About 1 min 20 s left");
    EXPECT_EQ(TimeLeftText(3725), "About 1 h 2 min left");
}

TEST_F(ProgressDlgTest, TheWorkersResultIsReadAfterOk) {
    int result = 0;
    const int rc = runner.RunProgress(AddSpec(), [&](IProgressSink& sink) {
        for (int i = 1; i <= 10; ++i) {
            if (sink.CancelRequested()) return;
            sink.SetPercent(i * 10);
            sink.ShowCounts(i, 10);
        }
        result = 4711;
    });
    EXPECT_EQ(rc, PROGRESS_OK);
    EXPECT_EQ(result, 4711);
    EXPECT_GE(clock.elapsed(), 1500);  // the closing pause, however short the work
    EXPECT_TRUE(user.script.Shown().empty());
}

TEST_F(ProgressDlgTest, UpdatesReachTheControls) {
    std::atomic<bool> reported{false}, checked{false};
    QString bar, counts, fileLine, title;
    QTimer::singleShot(0, [&] {
        WaitUntil([&] { return reported.load(); }, 5000);
        QTest::qWait(100);  // let the queued updates arrive
        if (CProgressDlg* dlg = ShownProgressDialog()) {
            title = dlg->windowTitle();
            bar = QString::number(dlg->findChild<QProgressBar*>()->value());
            for (QLabel* l : dlg->findChildren<QLabel*>()) {
                if (l->text().contains("sectors")) counts = l->text();
                if (l->text().startsWith("/tmp")) fileLine = l->text();
            }
        }
        checked = true;
    });
    runner.RunProgress(AddSpec(), [&](IProgressSink& sink) {
        sink.SetPercent(55);
        sink.ShowCounts(3, 9);
        reported = true;
        while (!checked) std::this_thread::sleep_for(5ms);
    });
    EXPECT_EQ(title, "Adding file, please wait...");
    EXPECT_EQ(bar, "55");
    EXPECT_EQ(counts, "3 sectors of 9 sectors added");
    EXPECT_EQ(fileLine, "/tmp/source.txt");
}

TEST_F(ProgressDlgTest, CancelAnsweredNoPausesTheWorkerAndResumes) {
    std::atomic<int> steps{0};
    int stepsWhenAsked = -1, stepsAfterThinking = -1;
    user.beforeAnswer = [&](const Message& m) {
        if (m.text != kQuestion) return;
        stepsWhenAsked = steps;
        QThread::msleep(300);  // the user thinks; the worker must not move meanwhile
        stepsAfterThinking = steps;
    };
    user.script.Push(Answer::No);
    PressStornoAfter(100);
    bool finished = false;
    const int rc = runner.RunProgress(AddSpec(), [&](IProgressSink& sink) {
        for (int i = 0; i < 60; ++i) {
            if (sink.CancelRequested()) return;
            sink.SetPercent(i * 100 / 60);
            ++steps;
            std::this_thread::sleep_for(10ms);
        }
        finished = true;
    });
    EXPECT_EQ(rc, PROGRESS_OK);
    EXPECT_TRUE(finished);
    ASSERT_TRUE(user.script.Saw(kQuestion));
    const Message asked = *user.script.Find(kQuestion);
    EXPECT_EQ(asked.buttons, Buttons::YesNo);
    EXPECT_EQ(asked.icon, Icon::Exclamation);
    EXPECT_GT(stepsWhenAsked, 0);
    EXPECT_LT(stepsWhenAsked, 60);
    // At most the report under way when the question opened gets through.
    EXPECT_LE(stepsAfterThinking - stepsWhenAsked, 1);
}

TEST_F(ProgressDlgTest, CancelConfirmedDuringTheClosingPauseLeavesTheFinishedWorkStanding) {
    int result = 0;
    user.script.Push(Answer::Yes);
    PressStornoAfter(400);  // the worker is done, the pause is running
    const int rc = runner.RunProgress(AddSpec(), [&](IProgressSink& sink) {
        sink.SetPercent(100);
        result = 99;
    });
    // The worker finished without ever seeing the request: what it did stands.
    EXPECT_EQ(rc, PROGRESS_OK);
    EXPECT_EQ(result, 99);
    EXPECT_GE(clock.elapsed(), 1500);  // closed only when the thread had ended
}

// A batch of files: each run says which file it is, and only the last file's run keeps the
// closing pause.
TEST_F(ProgressDlgTest, ABatchPausesOnceAtItsEndAndCountsItsFiles) {
    QStringList titles;
    auto run = [&] {
        return runner.RunProgress(AddSpec(), [&](IProgressSink& sink) {
            sink.SetPercent(100);
            QMetaObject::invokeMethod(
                qApp, [&] { titles << ShownProgressDialog()->windowTitle(); },
                Qt::BlockingQueuedConnection);
        });
    };
    {
        ProgressBatch batch(runner, 3);
        for (int n = 1; n <= 2; ++n) {
            batch.File(n);
            ASSERT_EQ(run(), PROGRESS_OK);
        }
        EXPECT_LT(clock.elapsed(), 1500);  // no pause after either of the first two
        batch.File(3);
        ASSERT_EQ(run(), PROGRESS_OK);
        EXPECT_GE(clock.elapsed(), 1500);
    }
    EXPECT_EQ(titles, (QStringList{"Adding file, please wait... (file 1 of 3)",
                                   "Adding file, please wait... (file 2 of 3)",
                                   "Adding file, please wait... (file 3 of 3)"}));
    // Outside a batch a run is as it always was.
    ASSERT_EQ(run(), PROGRESS_OK);
    EXPECT_EQ(titles.back(), "Adding file, please wait...");
}

TEST_F(ProgressDlgTest, CancelConfirmedStopsTheWorkerAtItsNextCheck) {
    std::atomic<int> steps{0};
    user.script.Push(Answer::Yes);
    PressStornoAfter(150);
    bool sawCancel = false;
    const int rc = runner.RunProgress(AddSpec(), [&](IProgressSink& sink) {
        for (int i = 0; i < 1000; ++i) {
            if (sink.CancelRequested()) {
                sawCancel = true;
                return;
            }
            sink.SetPercent(i / 10);
            ++steps;
            std::this_thread::sleep_for(5ms);
        }
    });
    EXPECT_EQ(rc, PROGRESS_CANCELLED);
    EXPECT_TRUE(sawCancel);
    EXPECT_LT(steps, 1000);
}

TEST_F(ProgressDlgTest, AWorkerThatNeverReportsStillClosesWithOk) {
    bool ran = false;
    const int rc = runner.RunProgress(AddSpec(), [&](IProgressSink&) {
        std::this_thread::sleep_for(300ms);
        ran = true;
    });
    EXPECT_EQ(rc, PROGRESS_OK);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock.elapsed(), 1800);
}

TEST_F(ProgressDlgTest, ACancelWaitsForAWorkerThatNeverLooksAndItsWorkStands) {
    user.script.Push(Answer::Yes);
    PressStornoAfter(100);
    std::atomic<bool> ended{false};
    const int rc = runner.RunProgress(AddSpec(), [&](IProgressSink&) {
        std::this_thread::sleep_for(600ms);
        ended = true;
    });
    EXPECT_EQ(rc, PROGRESS_OK);  // it never read the request: it did all its work
    EXPECT_TRUE(ended);
    EXPECT_GE(clock.elapsed(), 2100);  // its work and the closing pause
}

TEST_F(ProgressDlgTest, WithoutAWorkerOnlyCancelEndsTheDialog) {
    user.script.Push(Answer::Yes);
    CProgressDlg dlg(user, nullptr);
    dlg.m_bAskBeforeCancel = true;
    dlg.m_strCancelQuestion = kQuestion;
    PressStornoAfter(700);
    EXPECT_EQ(dlg.exec(), PROGRESS_CANCELLED);
    EXPECT_FALSE(dlg.m_bThreadStarted);
    EXPECT_TRUE(user.script.Saw(kQuestion));
    EXPECT_LT(clock.elapsed(), 1500);  // no thread to wait for
}

TEST_F(ProgressDlgTest, TheAnimationGoesOnFromDialogToDialog) {
    CProgressDlg first(user, nullptr);
    first.m_bAskBeforeCancel = false;
    PressStornoAfter(1100);  // two ticks, then the stopping step
    first.exec();
    const int after = CProgressDlg::AnimationCounter();
    int seenAtStart = -1;
    CProgressDlg second(user, nullptr);
    second.m_bAskBeforeCancel = false;
    QTimer::singleShot(50, [&] { seenAtStart = CProgressDlg::AnimationCounter(); });
    PressStornoAfter(100);
    second.exec();
    EXPECT_EQ(seenAtStart, after);
    EXPECT_EQ(CProgressDlg::AnimationCounter(), (after + 1) % 6);  // the stopping step
}

TEST(FormatCounts, FillsTheTwoNumbers) {
    EXPECT_EQ(FormatCounts("%ld B of %ld copied.", 507, 2000), "507 B of 2000 copied.");
}

}  // namespace
}  // namespace orv::tests

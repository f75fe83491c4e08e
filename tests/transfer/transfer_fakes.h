// A scripted user, a progress runner that runs the worker in place, and a report port that
// records what it was shown: the document's ports for tests.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ports/progress_port.h"
#include "ports/user_port.h"
#include "transfer/bad_sector_report.h"

namespace orv::tests {

class ScriptedUserPort final : public IUserPort {
public:
    // Answers in the order the questions come; an exhausted script takes the default button.
    std::deque<Answer> answers;
    // Each insert prompt runs the next action (it may change the diskette) and answers OK;
    // with none left the prompt is cancelled.
    std::deque<std::function<void()>> inserts;
    std::vector<Message> shown;    // every message box, in order
    std::vector<Message> prompts;  // every insert prompt, in order

    Answer ShowMessage(const Message& m) override {
        shown.push_back(m);
        if (answers.empty()) return DefaultAnswer(m);
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    Answer AskInsertDiskette(const Message& m) override {
        prompts.push_back(m);
        if (inserts.empty()) return Answer::Cancel;
        auto action = std::move(inserts.front());
        inserts.pop_front();
        if (action) action();
        return Answer::Ok;
    }
    bool Saw(const std::string& text) const {
        for (const Message& m : shown)
            if (m.text == text) return true;
        return false;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Message& m : shown) texts.push_back(m.text);
        return texts;
    }
};

// Runs the worker on the calling thread. cancelAfterReports > 0 sets the cancel flag once the
// worker has made that many SetPercent reports (the confirmed Cancel of a user).
class InlineProgressRunner final : public IProgressRunner {
public:
    int cancelAfterReports = 0;
    // The run (counted from 1) whose first report is met with a confirmed Cancel.
    int cancelInRun = 0;
    // Runs once at the worker's first report (to change the world while it works).
    std::function<void()> atFirstReport;
    int runs = 0;
    std::vector<ProgressSpec> specs;
    std::vector<std::pair<long, long>> counts;
    int lastPercent = -1;

    int RunProgress(const ProgressSpec& display,
                    const std::function<void(IProgressSink&)>& worker) override {
        ++runs;
        specs.push_back(display);
        Sink sink(*this);
        worker(sink);
        return sink.cancelled ? PROGRESS_CANCELLED : PROGRESS_OK;
    }

private:
    struct Sink final : IProgressSink {
        explicit Sink(InlineProgressRunner& r) : runner(r) {}
        void SetPercent(int p) override {
            runner.lastPercent = p;
            if (runner.atFirstReport) std::exchange(runner.atFirstReport, nullptr)();
            if (runner.cancelAfterReports > 0 && ++reports >= runner.cancelAfterReports)
                cancelled = true;
            if (runner.cancelInRun == runner.runs) cancelled = true;
        }
        void ShowCounts(long a, long b) override { runner.counts.emplace_back(a, b); }
        bool CancelRequested() const override { return cancelled; }
        InlineProgressRunner& runner;
        int reports = 0;
        bool cancelled = false;
    };
};

class RecordingReportPort final : public IBadSectorReportPort {
public:
    IUserPort* user = nullptr;
    bool mark = false;
    std::string savePath;
    std::vector<BadSectorReport> seen;  // copies, list pointer cleared
    std::vector<std::vector<std::uint32_t>> lists;

    void ShowBadSectorReport(BadSectorReport& report) override {
        lists.push_back(report.badList ? *report.badList : std::vector<std::uint32_t>{});
        if (!savePath.empty()) SaveBadSectorReport(report, savePath, *user);
        if (mark) MarkBadSectors(report, *user);
        BadSectorReport copy = report;
        copy.badList = nullptr;
        seen.push_back(copy);
    }
};

}  // namespace orv::tests

// A long file operation runs on a worker thread behind a progress display that shows a title,
// a file line, a percentage and a counter line, and takes a request to stop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orv {

// Pictures at the two ends of the progress path; the moving paper travels from left to right.
enum class Picture { Computer = 145, Diskette = 147 };

struct ProgressSpec {
    Picture left = Picture::Computer;
    Picture right = Picture::Diskette;
    std::string title;
    std::string fileLine;
    std::string countFormat;  // printf format with two %ld; empty = no counter line
    bool askBeforeCancel = true;
    std::string cancelQuestion;
};

// The worker's side of the display. SetPercent and ShowCounts are called from the worker
// thread; CancelRequested reads the flag that only the user's side sets.
class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    virtual void SetPercent(int percent) = 0;
    virtual void ShowCounts(long done, long total) = 0;
    // The bytes behind the counts, where an operation knows them (a display may show them and
    // the time left); nothing by default.
    virtual void ShowBytes(std::int64_t /*done*/, std::int64_t /*total*/) {}
    virtual bool CancelRequested() const = 0;
};

enum : int { PROGRESS_OK = 1, PROGRESS_CANCELLED = 2 };

class IProgressRunner {
public:
    virtual ~IProgressRunner() = default;
    // Runs worker on a worker thread and waits for it. PROGRESS_OK when the worker finished
    // and nobody cancelled; PROGRESS_CANCELLED when a cancel was confirmed (the worker has
    // ended by then, having seen the flag or not).
    virtual int RunProgress(const ProgressSpec& display,
                            const std::function<void(IProgressSink&)>& worker) = 0;
    // Runs a short write that must not be cut in the middle (both copies of the table): a
    // front end holds back, until it has returned, whatever would end the program.
    virtual void RunWhole(const std::function<void()>& step) { step(); }
};

}  // namespace orv

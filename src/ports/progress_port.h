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
    // True when the last run's worker finished its work although a cancel was confirmed at its
    // very end (the closing pause): that work is done, but the user wants nothing after it, as
    // the next part of a file spread over several diskettes.
    virtual bool StopAskedAfterLastRun() const { return false; }
    // The runs from now on belong to file `file` (from 1) of a batch of `count` files; count 0
    // ends the batch. A display may say so and keep its closing pause for the last file only.
    virtual void SetBatch(int file, int count) {
        (void)file;
        (void)count;
    }
    // Runs a short write that must not be cut in the middle (both copies of the table): a
    // front end holds back, until it has returned, whatever would end the program.
    virtual void RunWhole(const std::function<void()>& step) { step(); }
};

// The title of a run that belongs to file `file` of a batch of `count`: the same words in every
// front end.
inline std::string BatchTitle(const std::string& title, int file, int count) {
    return title + " (file " + std::to_string(file) + " of " + std::to_string(count) + ")";
}

// While it lives, the runner's runs belong to a batch of count files (more than one); File(n)
// says that the n-th begins.
class ProgressBatch {
public:
    ProgressBatch(IProgressRunner& runner, int count)
        : m_pRunner(count > 1 ? &runner : nullptr), m_nCount(count) {}
    ~ProgressBatch() {
        if (m_pRunner) m_pRunner->SetBatch(0, 0);
    }
    ProgressBatch(const ProgressBatch&) = delete;
    ProgressBatch& operator=(const ProgressBatch&) = delete;
    void File(int n) {
        if (m_pRunner) m_pRunner->SetBatch(n, m_nCount);
    }

private:
    IProgressRunner* m_pRunner;
    int m_nCount;
};

}  // namespace orv

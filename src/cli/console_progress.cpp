#include "cli/console_progress.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>
#include <utility>

namespace orv::cli {

namespace {

volatile std::sig_atomic_t g_interrupts = 0;
volatile std::sig_atomic_t g_armed = 0;
volatile std::sig_atomic_t g_whole = 0;      // inside RunWhole
volatile std::sig_atomic_t g_terminate = 0;  // a signal that ends the program once it is safe
std::atomic<IWorkerDialog*> g_stopTarget{nullptr};

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Ctrl-C asks to cancel what runs; SIGTERM and SIGHUP cancel it without asking and end the
// program once it has stopped cleanly. Outside an operation that writes, each ends the
// program at once, as it would without a handler.
extern "C" void OnEndingSignal(int signal) {
    const bool interrupt = signal == SIGINT;
    if (IWorkerDialog* dialog = g_stopTarget.load()) {
        std::int32_t running = 0;
        dialog->m_nState.compare_exchange_strong(running, -1);
        if (!interrupt) g_terminate = signal;
        return;
    }
    if (g_armed) {
        if (interrupt)
            g_interrupts = g_interrupts + 1;
        else
            g_terminate = signal;
        return;
    }
    if (g_whole) {
        g_terminate = signal;
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

std::string AmountText(std::int64_t done, std::int64_t total,
                       std::chrono::steady_clock::duration elapsed) {
    constexpr double kMB = 1e6;
    char text[96];
    std::snprintf(text, sizeof text, " %.1f of %.1f MB", double(done) / kMB, double(total) / kMB);
    std::string line = text;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    // No guess before there is a pace to go by.
    if (done <= 0 || done >= total || seconds < 1.0) return line;
    const auto left = long(seconds * double(total - done) / double(done) + 0.5);
    std::snprintf(text, sizeof text, ", %ld:%02ld left", left / 60, left % 60);
    return line + text;
}

namespace {

// The worker's side: reports are printed, and every report waits while the cancel question
// is open, so the worker makes no progress while the user decides.
class Sink final : public IProgressSink {
public:
    Sink(const ProgressSpec& display, std::string title, bool show)
        : m_display(display), m_title(std::move(title)), m_bShow(show) {}

    void SetPercent(int percent) override {
        WaitWhilePaused();
        m_percent = percent;
        Draw();
    }
    void ShowCounts(long done, long total) override {
        WaitWhilePaused();
        if (m_display.countFormat.empty()) return;
        char line[256];
        std::snprintf(line, sizeof line, m_display.countFormat.c_str(), done, total);
        std::lock_guard lock(m_mutex);
        m_counts = line;
        DrawLocked();
    }
    // The bytes done and the time left, from the pace so far, beside the counts.
    void ShowBytes(std::int64_t done, std::int64_t total) override {
        WaitWhilePaused();
        std::lock_guard lock(m_mutex);
        m_amount = AmountText(done, total, std::chrono::steady_clock::now() - m_start);
        DrawLocked();
    }
    bool CancelRequested() const override {
        const bool requested = m_bCancelRequested.load();
        if (requested) m_bCancelSeen = true;
        return requested;
    }
    // The worker read the request: its work was interrupted. A worker that ends without
    // reading it has done its work, whenever the request came.
    bool CancelSeen() const { return m_bCancelSeen.load(); }

    void Pause(bool on) {
        std::lock_guard lock(m_mutex);
        m_bPaused = on;
        if (!on) m_resume.notify_all();
    }
    void RequestCancel() { m_bCancelRequested = true; }
    void Finish() {
        std::lock_guard lock(m_mutex);
        if (m_bShow && m_bDrawn) std::cerr << std::endl;
    }

private:
    void WaitWhilePaused() {
        std::unique_lock lock(m_mutex);
        m_resume.wait(lock, [this] { return !m_bPaused; });
    }
    void Draw() {
        std::lock_guard lock(m_mutex);
        DrawLocked();
    }
    void DrawLocked() {
        if (!m_bShow) return;
        std::cerr << "\r" << m_title << " " << m_percent << "%  " << m_counts << m_amount
                  << "\x1b[K" << std::flush;
        m_bDrawn = true;
    }

    const ProgressSpec& m_display;
    const std::string m_title;
    bool m_bShow;
    std::atomic<bool> m_bCancelRequested{false};
    mutable std::atomic<bool> m_bCancelSeen{false};
    std::mutex m_mutex;
    std::condition_variable m_resume;
    bool m_bPaused = false;
    bool m_bDrawn = false;
    int m_percent = 0;
    std::string m_counts;
    std::string m_amount;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndingSignals) {
        // A signal that the caller chose to ignore (nohup) stays ignored.
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

void EndIfSignalled() {
    const int signal = g_terminate;
    if (signal == 0) return;
    std::cout.flush();
    std::cerr << "orvalis-cli: ended by signal " << signal
              << " once the operation had finished cleanly" << std::endl;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void ArmInterrupt(bool on) {
    g_armed = on ? 1 : 0;
}

void SetStopTarget(IWorkerDialog* dialog) {
    g_stopTarget = dialog;
}

bool IsTerminal(int fd) {
    return ::isatty(fd) != 0;
}

bool TakeInterrupt() {
    if (g_interrupts == 0) return false;
    g_interrupts = 0;
    return true;
}

int ConsoleProgressRunner::RunProgress(const ProgressSpec& display,
                                       const std::function<void(IProgressSink&)>& worker) {
    Sink sink(
        display,
        m_nBatchCount > 1 ? BatchTitle(display.title, m_nBatchFile, m_nBatchCount) : display.title,
        m_bShow);
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    TakeInterrupt();
    ArmInterrupt(true);
    std::thread thread([&] {
        worker(sink);
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    });
    bool cancelled = false;
    for (;;) {
        {
            // Wakes at once when the worker ends; otherwise looks for Ctrl-C now and then.
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; })) break;
        }
        if (g_terminate && !cancelled) {
            sink.RequestCancel();
            cancelled = true;
        }
        if (!TakeInterrupt() || cancelled) continue;
        if (!display.askBeforeCancel) {
            sink.RequestCancel();
            cancelled = true;
            continue;
        }
        sink.Pause(true);
        if (m_bShow) std::cerr << std::endl;
        const bool yes =
            Ask(m_user, display.cancelQuestion, Buttons::YesNo, Icon::Exclamation) == Answer::Yes;
        if (yes) {
            sink.RequestCancel();
            cancelled = true;
        }
        sink.Pause(false);
    }
    thread.join();
    ArmInterrupt(false);
    sink.Finish();
    return cancelled && sink.CancelSeen() ? PROGRESS_CANCELLED : PROGRESS_OK;
}

void ConsoleProgressRunner::RunWhole(const std::function<void()>& step) {
    g_whole = g_whole + 1;
    step();
    g_whole = g_whole - 1;
}

}  // namespace orv::cli

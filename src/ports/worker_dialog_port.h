// The dialog that owns a format or disk-service worker: a status line, a progress bar and two
// flags shared between the user-interface thread and the worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// A file that keeps units which do not hold its data (they do not read, or hold something
// else): the table keeps them as the file's, so that every later byte stays in its place.
struct DamagedFile {
    std::string name;                      // "name.ext (#n)"
    std::vector<std::uint32_t> positions;  // the chain positions a copy reports
    std::int32_t unreadableBytes = 0;      // the file's bytes those units should hold
};

// What a worker leaves for the finishing step: the byte balance and the label of the diskette,
// the files that a full test rebuilt without knowing for sure which units are theirs, and those
// it found damaged.
struct WorkerResults {
    std::int32_t freeBytes = 0;
    std::int32_t systemBytes = 0;
    std::int32_t badBytes = 0;
    std::string label;
    std::vector<std::string> uncertainFiles;  // "name.ext (#n)"
    std::vector<DamagedFile> damagedFiles;
};

class IWorkerDialog {
public:
    virtual ~IWorkerDialog() = default;
    // Called from the worker thread.
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgress(int position) = 0;

    // 1 idle, 0 running, -1 stop requested (or, in the disk service, nothing to show).
    std::atomic<std::int32_t> m_nState{1};
    // 1 while no finished worker waits for the finishing step; the worker clears it last.
    std::atomic<std::int32_t> m_bRunning{1};
    // Written by the worker before it clears m_bRunning; read only after that.
    WorkerResults m_results;
};

}  // namespace orv

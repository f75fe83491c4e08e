// The worker of the format dialog: lays the file system onto a diskette, quick (every unit
// freed, the system area kept where it is) or full (every sector read, bad units found afresh).
#pragma once

#include <cstdint>
#include <string>

#include "disk/drive.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv {

// The format dialog's options, in the dialog's terms.
struct FormatOptions {
    std::int32_t formatType = 0;      // 0 quick, 1 full
    std::int32_t noLabel = 0;         // 1: the diskette keeps the label it has (none when blank)
    std::int32_t displayResults = 1;  // 0 after a format that stopped
    std::string label;                // at most 16 characters reach the diskette
};

// Runs on the worker thread. 0: formatted, the balance is in dialog.m_results; -1: stopped,
// its message shown and displayResults cleared. Clears dialog.m_bRunning as its last act.
int FormatWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user, FormatOptions& options);

}  // namespace orv

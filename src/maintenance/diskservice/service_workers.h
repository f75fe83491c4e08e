// The three workers of the disk service. Each runs on the worker thread with a volume of its
// own, asks and tells through user, and clears dialog.m_bRunning as its last act. Each returns
// 0 when it did what it was asked (results stored, the diskette found sound, sector 0
// repaired) and -1 when it ended with nothing to show (failed, refused or interrupted, its
// message shown). dialog.m_nState is 0 afterwards exactly when there are results to show.
#pragma once

#include <cstdint>

#include "disk/drive.h"
#include "ports/user_port.h"
#include "ports/worker_dialog_port.h"

namespace orv {

enum : std::int32_t { TEST_REPAIR0 = 0, TEST_SYSTEM_PARTS = 1, TEST_FULL = 2 };

int RepairSector0Worker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user);
// testType becomes TEST_FULL when the user accepts the full test that the outcome calls for.
int SystemPartsTestWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user,
                          std::int32_t& testType);
int FullTestWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user);

// The worker for a test type 0..2; -1 for any other (no worker runs then).
int DiskServiceWorker(CDrive* drive, IWorkerDialog& dialog, IUserPort& user,
                      std::int32_t& testType);

}  // namespace orv

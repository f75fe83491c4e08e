// Shared ground of the maintenance tests: a drive with an in-memory diskette, files written the
// way the write loop lays them down, reading them back, and a view that records what the
// format and disk service dialogs would show.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fs/volume.h"
#include "maintenance/format/format_worker.h"
#include "maintenance/maintenance_view.h"
#include "support/memory_disk.h"
#include "support/recording_worker_dialog.h"
#include "support/scripted_user.h"

namespace orv::tests {

constexpr std::uint32_t kTestNow = 1'700'000'000u;  // the clock of every maintenance test

struct PlacedFile {
    FileRecord record;
    std::vector<std::uint8_t> data;
    std::vector<int> sectors;  // ascending; the first is the header unit
};

// Puts a file into the lowest free units through the volume (header unit, then 507-byte
// units), and gives the units to it in the table in memory. The caller writes the table.
PlacedFile WriteFileToVolume(CVolume& volume, const std::string& name, const std::string& extension,
                             std::vector<std::uint8_t> data);

// The data of a file as a copy from the diskette gets it: the header's size, collected from
// the file's units in ascending order. False when a unit cannot be read or units are missing.
bool ReadFileData(CVolume& volume, int fileNumber, std::vector<std::uint8_t>& data);

// Runs the format worker to its end on this thread. Its result; dialog and user as given.
int RunFormat(CDrive& drive, const FormatOptions& options, ScriptedUser& user,
              RecordingWorkerDialog& dialog);
// A quick format with the label "TEST"; asserts success.
void FormatQuick(MemoryDisk& disk);

// Sits between the drive and a memory diskette and makes chosen sectors fail their reads:
// healOnWrite sectors until they are written, relapse sectors always except for the first read
// after each write (a sector that takes a repair and loses it again).
class FlakyMedium final : public IMedium {
public:
    explicit FlakyMedium(MemoryMedium& inner) : m_inner(inner) {}
    std::set<int> healOnWrite;
    std::set<int> relapse;

    Status Read(int first, int count, std::uint8_t* buffer) override;
    Status Write(int first, int count, const std::uint8_t* buffer) override;
    std::string Describe() const override { return "flaky memory"; }

private:
    MemoryMedium& m_inner;
    std::set<int> m_fresh;
};

class RecordingView final : public IMaintenanceView {
public:
    void SetStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        statuses.push_back(text);
        status = text;
    }
    void SetProgress(int position) override {
        {
            std::lock_guard lock(m_mutex);
            progress = position;
        }
        if (onProgress) onProgress(position);
    }
    void SetTimer(bool on) override { timer = on; }
    void SetBusy(bool on) override {
        busy = on;
        ++busyChanges;
    }
    void ShowResults(const ResultsTexts& texts) override { results.push_back(texts); }
    void CloseDialog() override { closed = true; }
    void ShowTurningIcon(int id) override { icons.push_back(id); }

    std::string Status() {
        std::lock_guard lock(m_mutex);
        return status;
    }
    int Progress() {
        std::lock_guard lock(m_mutex);
        return progress;
    }

    std::function<void(int)> onProgress;  // runs on the thread that reports
    std::vector<std::string> statuses;
    std::string status;
    int progress = 0;
    bool timer = false;
    bool busy = false;
    int busyChanges = 0;
    bool closed = false;
    std::vector<ResultsTexts> results;
    std::vector<int> icons;

private:
    std::mutex m_mutex;
};

}  // namespace orv::tests

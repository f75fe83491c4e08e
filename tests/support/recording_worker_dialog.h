// A format or disk-service dialog reduced to what its worker sees: records the status lines and
// progress positions, and lets a test act at a given status or position (a Cancel, say).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ports/worker_dialog_port.h"

namespace orv::tests {

class RecordingWorkerDialog final : public IWorkerDialog {
public:
    RecordingWorkerDialog() {
        m_nState = 0;  // as Start leaves it
        m_bRunning = 1;
    }

    std::function<void(RecordingWorkerDialog&, int)> onProgress;
    std::function<void(RecordingWorkerDialog&, const std::string&)> onStatus;

    void SetStatus(const std::string& text) override {
        {
            std::lock_guard lock(m_mutex);
            m_statuses.push_back(text);
        }
        if (onStatus) onStatus(*this, text);
    }
    void SetProgress(int position) override {
        {
            std::lock_guard lock(m_mutex);
            m_progress.push_back(position);
        }
        if (onProgress) onProgress(*this, position);
    }

    std::vector<std::string> Statuses() const {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }
    std::vector<int> Progress() const {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    bool SawStatus(const std::string& text) const {
        for (const auto& s : Statuses())
            if (s == text) return true;
        return false;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_statuses;
    std::vector<int> m_progress;
};

}  // namespace orv::tests

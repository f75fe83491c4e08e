// The progress of one step of several (an input of a merge, an image of a scan, an image of a
// rescue) shown as its share of the whole; the whole keeps its own counter line.
#pragma once

#include "ports/progress_port.h"

namespace orv {

class StepSink final : public IProgressSink {
public:
    StepSink(IProgressSink& whole, long step, long steps)
        : m_whole(whole), m_step(step), m_steps(steps > 0 ? steps : 1) {}
    void SetPercent(int percent) override {
        m_whole.SetPercent(int((m_step * 100 + percent) / m_steps));
    }
    void ShowCounts(long, long) override {}
    bool CancelRequested() const override { return m_whole.CancelRequested(); }

private:
    IProgressSink& m_whole;
    long m_step;
    long m_steps;
};

}  // namespace orv

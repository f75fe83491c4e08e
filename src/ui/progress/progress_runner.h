// Runs the core's long operations behind the progress dialog.
#pragma once

#include "ports/progress_port.h"
#include "ports/user_port.h"

namespace orv {

class CProgressRunner : public IProgressRunner {
public:
    explicit CProgressRunner(IUserPort& user) : m_user(user) {}
    int RunProgress(const ProgressSpec& display,
                    const std::function<void(IProgressSink&)>& worker) override;

private:
    IUserPort& m_user;
};

}  // namespace orv

// The bad-sector report on the console: printed, saved to --report FILE, marked with --mark.
#pragma once

#include <string>

#include "ports/user_port.h"
#include "transfer/bad_sector_report.h"

namespace orv::cli {

class ConsoleReportPort final : public IBadSectorReportPort {
public:
    ConsoleReportPort(IUserPort& user, std::string savePath, bool mark)
        : m_user(user), m_savePath(std::move(savePath)), m_bMark(mark) {}
    void ShowBadSectorReport(BadSectorReport& report) override;
    bool SaveFailed() const { return m_bSaveFailed; }

private:
    IUserPort& m_user;
    std::string m_savePath;
    bool m_bMark;
    bool m_bSaveFailed = false;
};

}  // namespace orv::cli

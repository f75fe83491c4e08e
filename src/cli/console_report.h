// The bad-sector report on the console: printed, saved to --report FILE, marked with --mark.
#pragma once

#include <string>

#include "ports/user_port.h"
#include "transfer/bad_sector_report.h"

namespace orv::cli {

class ConsoleReportPort final : public IBadSectorReportPort {
public:
    explicit ConsoleReportPort(IUserPort& user) : m_user(user) {}
    // What the command being run asked for (--report FILE, --mark); a save failure is
    // forgotten with the command before.
    void SetOptions(std::string savePath, bool mark);
    void ShowBadSectorReport(BadSectorReport& report) override;
    bool SaveFailed() const { return m_bSaveFailed; }

private:
    IUserPort& m_user;
    std::string m_savePath;
    bool m_bMark = false;
    bool m_bSaveFailed = false;
};

}  // namespace orv::cli

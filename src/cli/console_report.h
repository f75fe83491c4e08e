// The bad-sector report on the console: printed, saved to --report FILE (and as JSON to
// --report-json FILE), marked with --mark.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "ports/user_port.h"
#include "transfer/bad_sector_report.h"

namespace orv::cli {

class ConsoleReportPort final : public IBadSectorReportPort {
public:
    explicit ConsoleReportPort(IUserPort& user) : m_user(user) {}
    // What the command being run asked for (--report FILE, --report-json FILE, --mark); a
    // save failure is forgotten with the command before.
    void SetOptions(std::string savePath, std::string jsonPath, bool mark);
    void ShowBadSectorReport(BadSectorReport& report) override;
    bool SaveFailed() const { return m_bSaveFailed; }

private:
    IUserPort& m_user;
    std::string m_savePath;
    std::string m_jsonPath;
    // The reports of the command so far: one copy may report a part on each diskette, and
    // copy-to one for each file.
    nlohmann::json m_jsonReports = nlohmann::json::array();
    std::string m_savedText;  // the --report file's blocks so far
    bool m_bMark = false;
    bool m_bSaveFailed = false;
};

}  // namespace orv::cli

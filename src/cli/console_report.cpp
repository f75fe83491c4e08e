#include "cli/console_report.h"

#include <iostream>

namespace orv::cli {

void ConsoleReportPort::SetOptions(std::string savePath, bool mark) {
    m_savePath = std::move(savePath);
    m_bMark = mark;
    m_bSaveFailed = false;
}

void ConsoleReportPort::ShowBadSectorReport(BadSectorReport& report) {
    std::cerr << kReportTitle << "\n"
              << ReportExplanation(report) << "\n"
              << "Start Byte: " << report.startByte << "\n";
    for (const std::string& row : ReportRows(report)) std::cerr << row << "\n";
    std::cerr << std::flush;
    if (!m_savePath.empty() && !SaveBadSectorReport(report, m_savePath, m_user))
        m_bSaveFailed = true;
    if (m_bMark) MarkBadSectors(report, m_user);
}

}  // namespace orv::cli

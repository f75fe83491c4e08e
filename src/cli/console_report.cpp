#include "cli/console_report.h"

#include <iostream>

#include "cli/report_json.h"

namespace orv::cli {

void ConsoleReportPort::SetOptions(std::string savePath, std::string jsonPath, bool mark) {
    m_savePath = std::move(savePath);
    m_jsonPath = std::move(jsonPath);
    m_jsonReports = nlohmann::json::array();
    m_savedText.clear();
    m_bMark = mark;
    m_bSaveFailed = false;
}

void ConsoleReportPort::ShowBadSectorReport(BadSectorReport& report) {
    std::cerr << kReportTitle << "\n"
              << ReportExplanation(report) << "\n"
              << "Start Byte: " << report.startByte << "\n";
    for (const std::string& row : ReportRows(report)) std::cerr << row << "\n";
    std::cerr << std::flush;
    // Several reports of one command (a spread file damaged on several diskettes, or copy-to's
    // files) go into the file one block after the other, as a scan's extraction writes them:
    // the later one must not wipe out the earlier.
    m_savedText += ReportFileText(report);
    if (!m_savePath.empty() && !SaveReportText(m_savedText, m_savePath, m_user))
        m_bSaveFailed = true;
    if (!m_jsonPath.empty()) {
        // One report is an object; several (a spread file damaged on several diskettes, or
        // several files) are an array of them, in the order they came.
        m_jsonReports.push_back(ReportJson(report));
        const nlohmann::json& value =
            m_jsonReports.size() == 1 ? m_jsonReports.front() : m_jsonReports;
        std::string cause;
        bool removed = false;
        if (!WriteReportFile(m_jsonPath, DumpJson(value) + "\n", cause, removed)) {
            m_user.ShowMessage(Message{ReportWriteFailureText(m_jsonPath, removed), Buttons::Ok,
                                       Icon::None, Answer::None});
            m_bSaveFailed = true;
        }
    }
    if (m_bMark) MarkBadSectors(report, m_user);
}

}  // namespace orv::cli

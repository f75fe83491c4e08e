#include "cli/report_json.h"

namespace orv::cli {

nlohmann::json ReportJson(const BadSectorReport& report) {
    nlohmann::json bad = nlohmann::json::array();
    for (const BadPiece& piece : ReportPieces(report))
        bad.push_back(
            {{"position", piece.position}, {"offset", piece.offset}, {"length", piece.length}});
    return {{"name", report.name},
            {"size", report.fileSize},
            {"start", report.startByte},
            {"bad", std::move(bad)}};
}

std::string DumpJson(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool WriteJsonFile(const std::string& path, const nlohmann::json& value, std::string& error) {
    std::string cause;
    bool removed = false;
    if (WriteReportFile(path, DumpJson(value) + "\n", cause, removed)) return true;
    error = "Could not write " + path + ": " + cause +
            (removed ? "; it could not be written whole and was removed" : "");
    return false;
}

}  // namespace orv::cli

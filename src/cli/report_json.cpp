#include "cli/report_json.h"

#include <cerrno>
#include <cstring>

#include "host/host_file.h"

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
    const std::string text = DumpJson(value) + "\n";
    HostFile file;
    const bool written =
        file.Open(path, HostFile::Mode::CreateTruncate) &&
        file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), long(text.size()));
    if (!file.Close() || !written) {
        error = "Could not write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace orv::cli

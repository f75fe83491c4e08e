#include "cli/report_paths.h"

#include <iostream>
#include <utility>
#include <vector>

#include "transfer/bad_sector_report.h"

namespace orv::cli {

namespace {

// The files a report of this command must leave alone, each with what it is to the command.
std::vector<std::pair<std::string, std::string>> GuardedFiles(const Session& s, CommandId id,
                                                              const CommandArgs& a) {
    std::vector<std::pair<std::string, std::string>> guarded;
    if (id == CommandId::Rescue) {
        for (const std::string& image : a.images) guarded.emplace_back(image, "an image it reads");
        guarded.emplace_back(a.target, "the file it writes");
        return guarded;
    }
    guarded.emplace_back(s.drive.Path(), "the diskette in the drive");
    for (const std::string& image : s.options.then)
        guarded.emplace_back(image, "a diskette that --then puts into the drive");
    if (id != CommandId::CopyTo) guarded.emplace_back(a.target, "the file it writes");
    return guarded;
}

}  // namespace

bool RefuseReportPaths(const Session& s, CommandId id, const CommandArgs& a) {
    if (id != CommandId::Copy && id != CommandId::CopyTo && id != CommandId::CopyAt &&
        id != CommandId::Rescue)
        return false;
    const std::pair<const char*, const std::string*> reports[] = {
        {"--report", &a.reportPath}, {"--report-json", &a.reportJsonPath}};
    for (const auto& [option, path] : reports) {
        if (path->empty()) continue;
        for (const auto& [file, what] : GuardedFiles(s, id, a)) {
            if (file.empty() || !ReportWouldReplace(*path, file)) continue;
            std::cerr << "orvalis-cli: " << option << " " << *path << " is " << what << " (" << file
                      << "): the report would replace it. Choose another file "
                      << "for the report." << std::endl;
            return true;
        }
    }
    return false;
}

}  // namespace orv::cli

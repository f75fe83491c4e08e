#include "cli/rescue_commands.h"

#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/report_json.h"
#include "transfer/rescue/box_scan.h"
#include "transfer/rescue/disk_imaging.h"
#include "transfer/rescue/file_rescue.h"
#include "transfer/rescue/image_merge.h"
#include "transfer/rescue/output_image.h"

namespace orv::cli {

namespace {

int Failed(const RescueResult& result) {
    std::cerr << "orvalis-cli: " << result.error << std::endl;
    return 1;
}

std::string Listed(const SectorSet& sectors) {
    return sectors.none() ? std::string("none") : SectorRangesText(sectors);
}

}  // namespace

int ImageCommand(Session& s, const std::string& out, int retries, bool json,
                 const std::string& mapfile) {
    const ImagingOutcome r = ImageDiskette(s.drive, out, retries, *s.progress, mapfile);
    if (r.status == RescueStatus::Refused) return Failed(r);
    // A run that stopped still wrote what it read: the summary says where the image stands.
    if (r.written) {
        const int read = kSectorCount - int(r.unreadable.count());
        if (json) {
            std::cout << DumpJson({{"sectors", kSectorCount},
                                   {"read", read},
                                   {"unreadable", SectorList(r.unreadable)}})
                      << std::endl;
        } else {
            std::printf("%s: %d sectors, %d read, %d unreadable", out.c_str(), kSectorCount, read,
                        int(r.unreadable.count()));
            if (r.unreadable.any())
                std::printf(mapfile.empty() ? " (listed in %s): %s" : " ('-' in %s): %s",
                            r.record.c_str(), SectorRangesText(r.unreadable).c_str());
            if (r.resumed)
                std::printf("\nThis run read %d of the %d sectors still listed, in %.1f s.\n",
                            r.readNow, r.tried, r.seconds);
            else
                std::printf("\nThis run read %d of %d sectors in %.1f s.\n", r.readNow, r.tried,
                            r.seconds);
            std::fflush(stdout);
        }
    }
    return r.Ok() ? 0 : Failed(r);
}

int MergeCommand(Session& s, const std::string& out, const std::vector<std::string>& inputs,
                 bool force) {
    MergeOutcome r = MergeImages(out, inputs, force, *s.progress);
    if (r.otherDiskettes) r.error += "\nUse --force to merge them all the same.";
    if (!r.Ok()) return Failed(r);
    std::printf("%s: %d sectors from %zu images\n", out.c_str(), kSectorCount, inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i)
        std::printf("  %s: %d sectors\n", inputs[i].c_str(), r.takenFrom[i]);
    std::printf("Copies that differ (the majority taken): %s\n", Listed(r.differing).c_str());
    std::printf("Read by no image (zero, listed in %s): %s\n", UnreadListPath(out).c_str(),
                Listed(r.unreadable).c_str());
    std::fflush(stdout);
    return 0;
}

int RescueCommand(Session& s, const std::string& name, const std::string& target,
                  const std::vector<std::string>& images, const std::string& reportPath,
                  const std::string& reportJsonPath) {
    FileRescueRequest request;
    request.name = name;
    request.target = target;
    request.images = images;
    request.restoreAttributes = !s.options.noRestore;
    const FileRescueOutcome r = RescueFile(request, *s.progress);
    auto note = [](const RescueSource& source) {
        return source.note.empty() ? std::string() : " (" + source.note + ")";
    };
    if (!r.Ok()) {
        // Why an image gave nothing may be why the rescue found no file.
        for (const RescueSource& source : r.sources)
            if (!source.note.empty())
                std::cerr << "orvalis-cli: " << source.path << ": " << source.note << std::endl;
        return Failed(r);
    }
    std::printf("%s: %u pieces, %zu unread\n", target.c_str(), r.positions, r.unread.size());
    for (const RescueSource& source : r.sources)
        std::printf("  %s: %d pieces%s\n", source.path.c_str(), source.pieces,
                    note(source).c_str());
    std::fflush(stdout);
    const BadSectorReport report = RescueReport(r);
    int status = r.unread.empty() ? 0 : 1;
    if (!r.unread.empty()) {
        std::cerr << kReportTitle << "\n" << ReportExplanation(report) << "\n";
        std::cerr << "Start Byte: " << report.startByte << "\n";
        for (const std::string& row : ReportRows(report)) std::cerr << row << "\n";
        std::cerr << std::flush;
    }
    // Written also for a whole file, so that a script never reads the report of a run before.
    if (!reportPath.empty() && !SaveBadSectorReport(report, reportPath, *s.user)) status = 1;
    std::string error;
    if (!reportJsonPath.empty() && !WriteJsonFile(reportJsonPath, ReportJson(report), error)) {
        std::cerr << "orvalis-cli: " << error << std::endl;
        status = 1;
    }
    return status;
}

int ScanCommand(Session& s, const ScanArgs& args) {
    ScanRequest request;
    request.folder = args.folder;
    request.extractTo = args.extractDir;
    request.restoreAttributes = !s.options.noRestore;
    request.jobs = args.jobs;
    // The table shows no checksum: a plain scan computes none.
    request.checksums = args.format != ScanFormat::Table;
    const auto printer = MakeScanPrinter(args.format, std::cout, std::cerr);
    const RescueResult r = StreamScanBox(request, *s.progress, *printer);
    std::cout.flush();
    if (!r.Ok()) return Failed(r);
    return printer->Problems() ? 1 : 0;
}

}  // namespace orv::cli

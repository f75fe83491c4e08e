#include "transfer/bad_sector_report.h"

#include <algorithm>

#include "fs/volume.h"
#include "host/host_file.h"
#include "ports/text_format.h"

namespace orv {

std::string ReportExplanation(const BadSectorReport& report) {
    return "Some errors occured on this positions while copying file:\n" + report.name +
           "\nYou should save this information.";
}

std::vector<std::string> ReportRows(const BadSectorReport& report) {
    std::vector<std::string> rows;
    if (!report.badList) return rows;
    for (std::uint32_t position : *report.badList) rows.push_back(StrFormat("%7d", int(position)));
    return rows;
}

std::string ReportFileText(const BadSectorReport& report) {
    std::string text = StrFormat("Start Byte:   %ld", long(report.startByte)) + "\r\n";
    for (const std::string& row : ReportRows(report)) text += row + "\r\n";
    return text;
}

std::vector<BadPiece> ReportPieces(const BadSectorReport& report) {
    std::vector<BadPiece> pieces;
    if (!report.badList) return pieces;
    for (std::uint32_t position : *report.badList) {
        const std::int32_t inPart = ChainPieceOffset(position);
        std::int32_t length = ChainPieceCapacity(position);
        // The part's last piece is filled only as far as the file goes.
        if (report.partBytes >= 0) length = std::clamp(report.partBytes - inPart, 0, length);
        pieces.push_back({position, std::int64_t(report.startByte) + inPart, length});
    }
    return pieces;
}

std::string ReportFileSuggestion(const BadSectorReport& report) {
    return report.name + "byd_sec.txt";
}

bool SaveBadSectorReport(const BadSectorReport& report, const std::string& path, IUserPort& user) {
    return SaveReportText(ReportFileText(report), path, user);
}

bool SaveReportText(const std::string& text, const std::string& path, IUserPort& user) {
    HostFile file;
    if (!file.Open(path, HostFile::Mode::CreateTruncate) ||
        !file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), long(text.size())) ||
        !file.Close()) {
        user.ShowMessage(Message{"Unable to write into the selected possition.\n" + path,
                                 Buttons::Ok, Icon::None, Answer::None});
        return false;
    }
    return true;
}

bool MarkBadSectors(BadSectorReport& report, IUserPort& user) {
    if (!report.markRefusal.empty()) {
        Notify(user, report.markRefusal);
        report.markRefused = true;
        return false;
    }
    if (Ask(user,
            "Damaged file will be deleted\nand bad sectors will be marked as bad.\n\nDo you really "
            "want to continue?",
            Buttons::YesNo) != Answer::Yes)
        return false;
    if (report.volume && report.badList && report.fileNumber > 0) {
        std::vector<int> units;
        report.volume->CollectUnits(report.fileNumber, units);
        for (std::uint32_t position : *report.badList) {
            if (position >= units.size()) continue;  // not a unit of this file
            const int sector = units[position];
            if (report.volume->Fat().entries[std::size_t(UnitOfSector(sector))] == FAT_BAD)
                continue;
            report.volume->MarkBad(sector);
        }
    }
    report.marked = 1;
    return true;
}

}  // namespace orv

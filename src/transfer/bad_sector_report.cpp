#include "transfer/bad_sector_report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

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

bool ReportWouldReplace(const std::string& reportPath, const std::string& file) {
    return SameHostFile(reportPath, file);
}

bool SaveBadSectorReport(const BadSectorReport& report, const std::string& path, IUserPort& user) {
    if (!report.drivePath.empty() && ReportWouldReplace(path, report.drivePath)) {
        Notify(user, StrFormat("%s\n\nis the diskette in the drive. Orvalis does not write a "
                               "report over it.",
                               path.c_str()));
        return false;
    }
    return SaveReportText(ReportFileText(report), path, user);
}

bool WriteReportFile(const std::string& path, const std::string& text, std::string& cause,
                     bool& removed) {
    removed = false;
    HostFile file;
    if (!file.Open(path, HostFile::Mode::CreateTruncate)) {
        cause = std::strerror(errno);
        return false;
    }
    const bool written =
        file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), long(text.size()));
    const bool closed = file.Close();
    if (written && closed) return true;
    cause = std::strerror(errno);
    // Only what this write made: never a device or anything else that is not a plain file.
    HostFileStatus status;
    std::error_code ignored;
    removed = GetHostFileStatus(path, status) && std::filesystem::remove(path, ignored);
    return false;
}

std::string ReportWriteFailureText(const std::string& path, bool removed) {
    return "Unable to write into the selected possition.\n" + path +
           (removed ? "\n\nThe report could not be written whole; the file was removed." : "");
}

bool SaveReportText(const std::string& text, const std::string& path, IUserPort& user) {
    std::string cause;
    bool removed = false;
    if (WriteReportFile(path, text, cause, removed)) return true;
    user.ShowMessage(
        Message{ReportWriteFailureText(path, removed), Buttons::Ok, Icon::None, Answer::None});
    return false;
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

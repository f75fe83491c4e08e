// The bad-sector report shown at the end of a copy that met unreadable units: the damaged
// file's name, the start byte of this diskette's part and the chain positions that failed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/user_port.h"

namespace orv {

class CVolume;

struct BadSectorReport {
    std::string name;
    std::int32_t startByte = 0;
    const std::vector<std::uint32_t>* badList = nullptr;
    CVolume* volume = nullptr;
    int fileNumber = 0;
    std::int32_t marked = 0;     // set by a confirmed Mark
    std::uint32_t fileSize = 0;  // the whole file's size
    // The bytes of the file that this diskette's part gave the target; -1: all its units hold.
    std::int32_t partBytes = -1;
    // Why no mark can reach this diskette (it takes no writes); empty when it can. A Mark is
    // refused with it before anything is marked, and markRefused says so afterwards.
    std::string markRefusal;
    bool markRefused = false;
    // The image or device in the drive: Save never writes a report over it.
    std::string drivePath;
};

// One piece of the target that holds filler instead of the file's bytes: the chain position of
// its unit, where the piece lies in the target, and how many filler bytes it holds.
struct BadPiece {
    std::uint32_t position = 0;
    std::int64_t offset = 0;
    std::int32_t length = 0;
};
std::vector<BadPiece> ReportPieces(const BadSectorReport& report);

constexpr const char* kReportTitle = "Bad sectors on - Diskette 3,5";
// The explanation above the list, naming the damaged file.
std::string ReportExplanation(const BadSectorReport& report);
// The rows of the report's list: "%7d" of every chain position, in list order.
std::vector<std::string> ReportRows(const BadSectorReport& report);
// The report file's text: "Start Byte:   %ld" and then one row a line, each ended by CR LF.
std::string ReportFileText(const BadSectorReport& report);
// The file name the Save dialog proposes: the name followed by "byd_sec.txt".
std::string ReportFileSuggestion(const BadSectorReport& report);
// Whether a report written to reportPath would replace file (the same file under any name).
bool ReportWouldReplace(const std::string& reportPath, const std::string& file);
// Save: writes the report file; on failure, or for the drive's own image, tells the user.
// True when written.
bool SaveBadSectorReport(const BadSectorReport& report, const std::string& path, IUserPort& user);
// Writes report file text (the blocks of one or more reports, one after the other), as Save does.
bool SaveReportText(const std::string& text, const std::string& path, IUserPort& user);
// Writes text as the whole of the file at path. A regular file that could not be written whole
// is removed again (removed), so that no empty or cut report passes for a saved one; false
// then, with the system's reason in cause.
bool WriteReportFile(const std::string& path, const std::string& text, std::string& cause,
                     bool& removed);
// What the user is told when a report could not be written to path.
std::string ReportWriteFailureText(const std::string& path, bool removed);
// Mark: asks first; on Yes marks the listed units bad in the table in memory and sets marked.
// True when the units were marked. On a diskette that takes no writes it only says why.
bool MarkBadSectors(BadSectorReport& report, IUserPort& user);

// The report dialog of a front end: shows the report and lets the user Save and Mark until
// Close. The caller reads report.marked afterwards.
class IBadSectorReportPort {
public:
    virtual ~IBadSectorReportPort() = default;
    virtual void ShowBadSectorReport(BadSectorReport& report) = 0;
};

}  // namespace orv

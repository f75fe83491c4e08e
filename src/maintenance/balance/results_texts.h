// The texts of the results dialog that closes a format or a disk test.
#pragma once

#include <string>
#include <vector>

#include "ports/worker_dialog_port.h"

namespace orv {

inline constexpr char kTotalBytesText[] = "1 427 712";
inline constexpr char kUncertainFilesLine[] = "Uncertain files: %d (see the message)";
inline constexpr char kDamagedFilesLine[] = "Damaged files: %d (see the list)";
inline constexpr char kUncertainAndDamagedLine[] =
    "Uncertain files: %d, damaged files: %d (see the messages)";
inline constexpr char kDamagedFileText[] = "%s: %s bytes unreadable (chain positions %s)";

struct ResultsTexts {
    std::string title;
    std::string total;        // always "1 427 712"
    std::string systemBytes;  // grouped digits
    std::string badBytes;
    std::string freeBytes;
    std::string label;
    // Empty, unless a full test rebuilt files without knowing for sure which units are theirs,
    // or found files with units that do not hold their data: then it counts them, and
    // uncertainFiles ("name.ext (#n)") and damagedFiles (DamagedFileLine) name them.
    std::string extraLine;
    std::vector<std::string> uncertainFiles;
    std::vector<std::string> damagedFiles;
};

// "name.ext (#n): 1 014 bytes unreadable (chain positions 3, 7)": the positions are those a
// copy of the file reports, the bytes what they should hold.
std::string DamagedFileLine(const DamagedFile& file);

ResultsTexts MakeResultsTexts(const std::string& title, const WorkerResults& results,
                              const std::string& label);

}  // namespace orv

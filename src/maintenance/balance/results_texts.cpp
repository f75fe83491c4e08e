#include "maintenance/balance/results_texts.h"

#include "maintenance/balance/group_digits.h"
#include "ports/text_format.h"

namespace orv {

namespace {
constexpr std::size_t kPositionsShown = 12;
}  // namespace

std::string DamagedFileLine(const DamagedFile& file) {
    std::string positions;
    for (std::size_t i = 0; i < file.positions.size() && i < kPositionsShown; ++i)
        positions += (i ? ", " : "") + std::to_string(file.positions[i]);
    if (file.positions.size() > kPositionsShown)
        positions += StrFormat(" and %d more", int(file.positions.size() - kPositionsShown));
    return StrFormat(kDamagedFileText, file.name.c_str(), GroupDigits(file.unreadableBytes).c_str(),
                     positions.c_str());
}

ResultsTexts MakeResultsTexts(const std::string& title, const WorkerResults& results,
                              const std::string& label) {
    ResultsTexts texts;
    texts.title = title;
    texts.total = kTotalBytesText;
    texts.systemBytes = GroupDigits(results.systemBytes);
    texts.badBytes = GroupDigits(results.badBytes);
    texts.freeBytes = GroupDigits(results.freeBytes);
    texts.label = label;
    texts.uncertainFiles = results.uncertainFiles;
    for (const DamagedFile& file : results.damagedFiles)
        texts.damagedFiles.push_back(DamagedFileLine(file));
    const int uncertain = int(texts.uncertainFiles.size());
    const int damaged = int(texts.damagedFiles.size());
    if (uncertain > 0 && damaged > 0)
        texts.extraLine = StrFormat(kUncertainAndDamagedLine, uncertain, damaged);
    else if (uncertain > 0)
        texts.extraLine = StrFormat(kUncertainFilesLine, uncertain);
    else if (damaged > 0)
        texts.extraLine = StrFormat(kDamagedFilesLine, damaged);
    return texts;
}

}  // namespace orv

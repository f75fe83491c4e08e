#include "maintenance/balance/results_texts.h"

#include "maintenance/balance/group_digits.h"
#include "ports/text_format.h"

namespace orv {

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
    if (!texts.uncertainFiles.empty())
        texts.extraLine = StrFormat(kUncertainFilesLine, int(texts.uncertainFiles.size()));
    return texts;
}

}  // namespace orv

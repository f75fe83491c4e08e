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
    texts.damagedFiles = results.damagedFiles;
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

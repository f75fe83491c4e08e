#include "maintenance/balance/results_texts.h"

#include "maintenance/balance/group_digits.h"

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
    return texts;
}

}  // namespace orv

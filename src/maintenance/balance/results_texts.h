// The texts of the results dialog that closes a format or a disk test.
#pragma once

#include <string>

#include "ports/worker_dialog_port.h"

namespace orv {

inline constexpr char kTotalBytesText[] = "1 427 712";

struct ResultsTexts {
    std::string title;
    std::string total;        // always "1 427 712"
    std::string systemBytes;  // grouped digits
    std::string badBytes;
    std::string freeBytes;
    std::string label;
    std::string extraLine;  // always empty
};

ResultsTexts MakeResultsTexts(const std::string& title, const WorkerResults& results,
                              const std::string& label);

}  // namespace orv

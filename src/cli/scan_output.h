// What scan prints, as the scan goes: a table to read, one JSON object for scripts, or JSON
// lines (one object a line, each with its "kind") for a box too large to hold in memory.
#pragma once

#include <memory>
#include <ostream>

#include "transfer/rescue/box_scan.h"

namespace orv::cli {

enum class ScanFormat { Table, Json, JsonLines };

// Writes to out as the scan tells; problems go to err. Problems() says whether any came.
class ScanPrinter : public IScanListener {
public:
    virtual bool Problems() const = 0;
};

std::unique_ptr<ScanPrinter> MakeScanPrinter(ScanFormat format, std::ostream& out,
                                             std::ostream& err);

}  // namespace orv::cli

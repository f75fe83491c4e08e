// Everything one run of orvalis-cli works with: the drive, the console ports and the document.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/console_progress.h"
#include "cli/console_report.h"
#include "cli/console_user.h"
#include "disk/drive.h"
#include "transfer/document.h"

namespace orv::cli {

struct GlobalOptions {
    std::string drive;
    std::vector<std::string> then;
    std::vector<std::string> answers;
    bool yes = false;
    bool verify = false;
    bool noRestore = false;
    bool stats = false;
};

struct Session {
    Session(const GlobalOptions& options, std::string reportPath, bool mark);
    // Puts the drive's medium in place; false with the message printed when it cannot.
    bool InsertDrive();
    // Opens the diskette with the open command's messages; false when it did not open.
    bool Open();
    // The listed file for NAME (display name, case-insensitive) or "#N" (file number).
    std::optional<FileRecord> FindByName(const std::string& name) const;

    GlobalOptions options;
    CDrive drive;
    std::unique_ptr<ConsoleUserPort> user;
    std::unique_ptr<ConsoleProgressRunner> progress;
    std::unique_ptr<ConsoleReportPort> report;
    std::unique_ptr<COrvalisDoc> doc;
};

}  // namespace orv::cli

// Everything one run of orvalis-cli works with: the drive, the console ports and the document.
// A single command and a whole batch alike keep one of each, as the desktop program does.
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
    std::string mapfile;  // of the --drive image; empty: one beside it, if any
    std::vector<std::string> then;
    std::vector<std::string> answers;
    bool yes = false;
    bool verify = false;
    bool noRestore = false;
    bool stats = false;
};

struct Session {
    explicit Session(const GlobalOptions& options);
    // Before the first command that uses the drive, the --drive medium (or the default drive)
    // goes in; after that the drive holds what insert and eject left. False with the message
    // printed when the medium cannot be put in.
    bool EnsureDrive();
    // insert or eject decided what is in the drive: the --drive medium no longer goes in.
    void DriveChosen() { m_bDriveChosen = true; }
    bool DriveUsed() const { return m_bDriveChosen; }
    // Opens the diskette with the open command's messages unless it is open already; false
    // when it is not open.
    bool Open();
    // The listed file for NAME or "#N" (file number). An exact (case-sensitive) display name
    // wins; otherwise the one file whose name differs only in case. With byNumber, NAME is a
    // file number alone. None, with the reason printed, when no file or several files answer
    // to NAME: also when "#N" is both a file's name and another file's number.
    std::optional<FileRecord> FindByName(const std::string& name, bool byNumber = false) const;

    GlobalOptions options;
    CDrive drive;
    std::unique_ptr<ConsoleUserPort> user;
    std::unique_ptr<ConsoleProgressRunner> progress;
    std::unique_ptr<ConsoleReportPort> report;
    std::unique_ptr<COrvalisDoc> doc;

private:
    bool m_bDriveChosen = false;
};

}  // namespace orv::cli

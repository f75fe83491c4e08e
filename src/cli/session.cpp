#include "cli/session.h"

#include <unistd.h>

#include <iostream>

#include "disk/default_drive.h"
#include "ports/text_format.h"

namespace orv::cli {

Session::Session(const GlobalOptions& opts) : options(opts) {
    std::deque<Answer> answers;
    for (const std::string& word : options.answers) answers.push_back(ParseAnswerWord(word));
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    user = std::make_unique<ConsoleUserPort>(
        drive, std::move(answers), options.yes,
        std::deque<std::string>(options.then.begin(), options.then.end()), interactive);
    progress = std::make_unique<ConsoleProgressRunner>(*user, ::isatty(STDERR_FILENO) != 0);
    report = std::make_unique<ConsoleReportPort>(*user);
    drive.SetTrackBuffer(true);
    doc = std::make_unique<COrvalisDoc>(drive, DocPorts{user.get(), progress.get(), report.get()});
    doc->m_bVerification = options.verify;
    doc->m_bRestoreAttributes = !options.noRestore;
}

bool Session::EnsureDrive() {
    if (m_bDriveChosen) return true;
    std::string path = options.drive;
    std::string error;
    if (path.empty() && !PrepareDefaultDrive(path, error)) {
        std::cerr << "orvalis-cli: " << error << std::endl;
        return false;
    }
    if (!drive.Insert(path, error)) {
        std::cerr << "orvalis-cli: " << error << std::endl;
        return false;
    }
    m_bDriveChosen = true;
    return true;
}

bool Session::Open() {
    if (doc->IsOpen()) return true;
    const int rc = doc->OpenDiskette();
    if (rc == 0) return true;
    if (rc != -4) Notify(*user, OpenErrorText(rc));
    doc->CloseDiskette();
    return false;
}

std::optional<FileRecord> Session::FindByName(const std::string& name) const {
    if (name.size() > 1 && name[0] == '#') {
        const std::string digits = name.substr(1);
        for (const FileRecord& r : doc->Files())
            if (r.numberText == digits) return r;
        return std::nullopt;
    }
    for (const FileRecord& r : doc->Files())
        if (EqualsNoCase(r.displayName, name)) return r;
    return std::nullopt;
}

}  // namespace orv::cli

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
    drive.SetTimed(options.stats);
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
    // Names are looked up in the list: it must be what the diskette holds now.
    if (doc->IsOpen()) return doc->ReadAgainWhenBack();
    const int rc = doc->OpenDiskette();
    if (rc == 0) return true;
    if (rc != -4) Notify(*user, doc->OpenErrorMessage(rc));
    doc->CloseDiskette();
    return false;
}

std::optional<FileRecord> Session::FindByName(const std::string& name) const {
    std::vector<const FileRecord*> exact, folded;
    const bool byNumber = name.size() > 1 && name[0] == '#';
    for (const FileRecord& r : doc->Files()) {
        if (byNumber ? r.numberText == name.substr(1) : r.displayName == name)
            exact.push_back(&r);
        else if (!byNumber && EqualsNoCase(r.displayName, name))
            folded.push_back(&r);
    }
    const std::vector<const FileRecord*>& found = exact.empty() ? folded : exact;
    if (found.size() == 1) return *found.front();
    if (found.empty()) {
        std::cerr << "orvalis-cli: no file '" << name << "' on the diskette" << std::endl;
        return std::nullopt;
    }
    // Guessing could copy or delete the wrong file; the number names each one.
    std::cerr << "orvalis-cli: '" << name << "' names " << found.size()
              << " files; give the exact name or the number:\n";
    for (const FileRecord* r : found)
        std::cerr << "  " << r->displayName << "  #" << r->numberText << "\n";
    std::cerr << std::flush;
    return std::nullopt;
}

}  // namespace orv::cli

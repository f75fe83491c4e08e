#include "cli/session.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
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
    if (!drive.Insert(path, error, MediumOptions{options.mapfile})) {
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

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

void PrintCandidates(const std::vector<const FileRecord*>& found) {
    for (const FileRecord* r : found)
        std::cerr << "  " << r->displayName << "  #" << r->numberText << "\n";
    std::cerr << std::flush;
}

}  // namespace

std::optional<FileRecord> Session::FindByName(const std::string& name, bool byNumber) const {
    if (byNumber && !AllDigits(name)) {
        std::cerr << "orvalis-cli: --number takes a file number, not '" << name << "'" << std::endl;
        return std::nullopt;
    }
    // "#N" is file number N, unless a file bears that very name: then it names both.
    const std::string number = byNumber                            ? name
                               : name.size() > 1 && name[0] == '#' ? name.substr(1)
                                                                   : "";
    const FileRecord* numbered = nullptr;
    std::vector<const FileRecord*> exact, folded;
    for (const FileRecord& r : doc->Files()) {
        if (AllDigits(number) && r.numberText == number) numbered = &r;
        if (byNumber) continue;
        if (r.displayName == name)
            exact.push_back(&r);
        else if (EqualsNoCase(r.displayName, name))
            folded.push_back(&r);
    }
    if (numbered && !exact.empty() && (exact.size() > 1 || exact.front() != numbered)) {
        // Guessing could copy or delete the wrong file.
        std::cerr << "orvalis-cli: '" << name << "' is ambiguous: it is the number of "
                  << numbered->displayName << " (#" << numbered->numberText
                  << ") and the name of another file; name the one meant by its number "
                     "with --number:\n";
        if (std::find(exact.begin(), exact.end(), numbered) == exact.end())
            exact.insert(exact.begin(), numbered);
        PrintCandidates(exact);
        return std::nullopt;
    }
    if (numbered) return *numbered;
    const std::vector<const FileRecord*>& found = exact.empty() ? folded : exact;
    if (found.size() == 1) return *found.front();
    if (found.empty()) {
        std::cerr << "orvalis-cli: no file " << (byNumber ? "number " : "") << "'" << name
                  << "' on the diskette" << std::endl;
        return std::nullopt;
    }
    // Guessing could copy or delete the wrong file; the number names each one.
    std::cerr << "orvalis-cli: '" << name << "' names " << found.size()
              << " files; give the exact name or the number:\n";
    PrintCandidates(found);
    return std::nullopt;
}

}  // namespace orv::cli

#include "cli/file_commands.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/line_tokenizer.h"
#include "maintenance/balance/disk_info.h"
#include "maintenance/balance/results_texts.h"
#include "ports/text_format.h"
#include "transfer/file_batches.h"
#include "transfer/start_position.h"

namespace orv::cli {

namespace {

// The name as the diskette stores it, before it is decoded for showing.
std::string StoredName(const FileRecord& r) {
    return r.extension.empty() ? r.name : r.name + "." + r.extension;
}

// A name or label is always shown as text, but a second guard keeps a byte that is not UTF-8
// from ending the program in the middle of a listing.
std::string Dump(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

// An add that stopped at a diskette change tells where to go on: the next run adds from the
// first byte that is on no diskette.
int ReportPartialAdd(const std::string& path, std::int32_t start, const AddOutcome& outcome) {
    if (outcome.complete) return 0;
    const long next = long(start) + long(outcome.stored);
    std::cerr << "orvalis-cli: " << path << " is on diskettes only up to byte " << next
              << "; to add the rest, insert another diskette and run: add --from " << next << " "
              << QuoteWord(path) << std::endl;
    return 1;
}

// A second file of a name is no failure, but names will need its number from now on.
void NoteSameName(const AddOutcome& outcome) {
    if (const std::string note = SameNameNote(outcome); !note.empty())
        std::cerr << "orvalis-cli: note: " << note << std::endl;
}

}  // namespace

int ListCommand(Session& s, bool json) {
    if (!s.Open()) return 1;
    if (json) {
        nlohmann::json rows = nlohmann::json::array();
        for (const FileRecord& r : s.doc->Files())
            rows.push_back({{"name", r.displayName},
                            {"size", r.size},
                            {"date", r.dateText},
                            {"attributes", r.attributeText},
                            {"number", r.fileNumber},
                            {"part", r.partNumber},
                            {"name_as_stored", r.displayName == StoredName(r)}});
        std::cout << Dump(rows) << std::endl;
        return 0;
    }
    for (const FileRecord& r : s.doc->Files())
        std::cout << r.displayName << '\t' << r.sizeText << '\t' << r.dateText << '\t'
                  << r.attributeText << '\t' << r.numberText << '\n';
    std::cout << std::flush;
    return 0;
}

int InfoCommand(Session& s, bool json) {
    if (!s.Open()) return 1;
    const CVolume& v = s.doc->Volume();
    const std::int32_t free = v.FreeBytes(), bad = v.BadBytes(), system = v.SystemBytes();
    const std::int32_t used = kDataAreaBytes - free - system - bad;
    const int files = int(s.doc->Files().size());
    const std::string label = s.doc->LabelText();
    if (json) {
        nlohmann::json info{{"label", label},
                            {"label_as_stored", label == v.Ids().label},
                            {"format_date", DateText(v.Ids().stampTime)},
                            {"total", kDataAreaBytes},
                            {"free", free},
                            {"used", used},
                            {"bad", bad},
                            {"system", system},
                            {"files", files}};
        std::cout << Dump(info) << std::endl;
        return 0;
    }
    // What the information dialog shows.
    const DiskInfo d = SetInfo(label, v.Ids().stampTime, free, bad, system, files);
    std::cout << kDiskInfoTitle << "\n"
              << "Bytes altogether:             " << kTotalBytesText << "\n"
              << "Free space:                   " << d.freeText << "\n"
              << "Used bytes:                   " << d.usedText << "\n"
              << "Bytes in bad sectors:         " << d.badText << "\n"
              << "Bytes used by system:         " << d.systemText << "\n"
              << "Label:                        " << d.label << "\n"
              << "Format Date:                  " << d.dateText << "\n"
              << "Number of files on diskette:  " << d.filesText << std::endl;
    return 0;
}

int AddCommand(Session& s, const std::vector<std::string>& files) {
    if (!s.Open() || s.doc->RefuseReadOnlyMedium()) return 1;
    bool partial = false;
    const AddFilesResult r =
        AddFiles(*s.doc, files, [&partial](const std::string& path, const AddOutcome& outcome) {
            NoteSameName(outcome);
            if (ReportPartialAdd(path, 0, outcome) != 0) partial = true;
        });
    return r.end == BatchEnd::Done && r.skipped == 0 && !partial ? 0 : 1;
}

int AddFromCommand(Session& s, const std::string& positionText, const std::string& file) {
    std::string error;
    const auto position = ParsePosition(positionText, error);
    if (!position) {
        Notify(*s.user, error, Icon::None);
        return 1;
    }
    if (const std::string problem = CheckStartPosition(file, *position, StartUse::AddFrom);
        !problem.empty()) {
        Notify(*s.user, problem, Icon::None);
        return 1;
    }
    if (!s.Open() || s.doc->RefuseReadOnlyMedium()) return 1;
    AddOutcome outcome;
    if (AddFileFrom(*s.doc, file, *position, &outcome) != BatchEnd::Done) return 1;
    NoteSameName(outcome);
    return ReportPartialAdd(file, *position, outcome);
}

// A copy's reports went wrong when one could not be saved, or when a mark the user asked for
// never reached the diskette (the damaged file could not be deleted).
static bool ReportsFailed(const Session& s, int failedMarksBefore) {
    return s.report->SaveFailed() || s.doc->FailedMarks() > failedMarksBefore;
}

int CopyCommand(Session& s, const std::string& name, const std::string& target, bool byNumber) {
    if (!s.Open()) return 1;
    const int marks = s.doc->FailedMarks();
    auto key = s.FindByName(name, byNumber);
    if (!key) return 1;
    return CopyFile(*s.doc, *key, target) == BatchEnd::Done && !ReportsFailed(s, marks) ? 0 : 1;
}

int CopyToCommand(Session& s, const std::string& folder, const std::vector<std::string>& names,
                  bool byNumber) {
    if (!s.Open()) return 1;
    const int marks = s.doc->FailedMarks();
    // No names: every file in the list, as after selecting all of them.
    std::vector<FileRecord> keys;
    if (names.empty()) keys.assign(s.doc->Files().begin(), s.doc->Files().end());
    int notFound = 0;
    for (const std::string& name : names) {
        if (auto key = s.FindByName(name, byNumber))
            keys.push_back(*key);
        else
            ++notFound;
    }
    const CopyFilesResult r = CopyFilesToFolder(*s.doc, keys, folder, notFound);
    return r.end == BatchEnd::Done && r.failed == 0 && r.skipped == 0 && !ReportsFailed(s, marks)
               ? 0
               : 1;
}

int CopyAtCommand(Session& s, const std::string& name, const std::string& target,
                  const std::string& positionText, bool byNumber) {
    std::string error;
    const auto position = ParsePosition(positionText, error);
    if (!position) {
        Notify(*s.user, error, Icon::None);
        return 1;
    }
    if (const std::string problem = CheckStartPosition(target, *position, StartUse::CopyAt);
        !problem.empty()) {
        Notify(*s.user, problem, Icon::None);
        return 1;
    }
    if (!s.Open()) return 1;
    auto key = s.FindByName(name, byNumber);
    if (!key) return 1;
    const int marks = s.doc->FailedMarks();
    if (s.doc->CopyFromDiskette(*key, target, false, *position) == -1) return 1;
    Notify(*s.user,
           StrFormat("File was added to %s\nfrom position %ld", target.c_str(), long(*position)));
    return ReportsFailed(s, marks) ? 1 : 0;
}

int DeleteCommand(Session& s, const std::vector<std::string>& names, bool byNumber) {
    if (!s.Open() || s.doc->RefuseReadOnlyMedium()) return 1;
    std::vector<FileRecord> keys;
    for (const std::string& name : names) {
        auto key = s.FindByName(name, byNumber);
        if (!key) return 1;
        keys.push_back(*key);
    }
    return DeleteFiles(*s.doc, keys).end == BatchEnd::Done ? 0 : 1;
}

}  // namespace orv::cli

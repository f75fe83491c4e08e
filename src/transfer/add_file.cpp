// Adding a host file to the diskette, spread over further diskettes when one is full.
#include <filesystem>

#include "ports/text_format.h"
#include "transfer/document.h"
#include "transfer/host_entry.h"
#include "transfer/operation_block.h"

namespace orv {

namespace {

// The message for a part that did not reach the diskette.
std::string AddFailureText(const LoopFailure& failure, const std::string& path,
                           std::uint32_t recordedSize) {
    if (failure.sourceChanged) {
        const std::int64_t now = HostFileSize(path);
        return StrFormat(
            "%s\n\nThe file changed while it was being added (it was %ld B long, "
            "now %ld B).\nNothing of it was stored; add it again.",
            path.c_str(), long(recordedSize), long(now));
    }
    if (failure.hostFile) return StrFormat("%s \n\nCould not read file.", path.c_str());
    if (failure.drive != IoError::None) return DriveFailureText(failure.drive);
    if (failure.noUnitTookHeader)
        return "No free unit of the diskette took the file's first unit: every one refused the "
               "write and is marked bad now.\nThe diskette is worn out; use another one.";
    return "Diskette is defective or full.";
}

// What a user who stopped a spread add can still do: the parts written are whole files of
// their own, and the rest can follow from where they end.
constexpr char kPartsStayNote[] =
    "\n\nThe parts added so far stay on their diskettes. To add the rest of the file, put a "
    "further diskette in and use Add from... with the position %ld.";

}  // namespace

std::string SameNameNote(const AddOutcome& outcome) {
    if (outcome.sameNameNumber == 0) return {};
    return StrFormat("The diskette already held a file named %s (#%d); both are on it now.",
                     outcome.name.c_str(), outcome.sameNameNumber);
}

int COrvalisDoc::AddFile(const std::string& path, std::int32_t start, AddOutcome* outcome,
                         AddSpread spread) {
    AddOutcome local;
    AddOutcome& result = outcome ? *outcome : local;
    result = AddOutcome{};
    if (!CheckSameDiskette() || RefuseReadOnlyMedium() || RefuseWhileCopiesDiffer()) return -1;

    FileRecord record;
    HostFileStatus status;
    const bool haveStatus = GetHostFileStatus(path, status);
    if (haveStatus) {
        record.modificationTime = status.modificationTime;
        record.attributes = status.attributes;
    }
    // A start at or behind the end leaves nothing to add (an empty file is added from 0).
    if (haveStatus && (status.size < start || (status.size > 0 && status.size == start))) {
        Notify(User(), StrFormat("Unable to seek at possition %ld in file\n%s, %ld B long",
                                 long(start), path.c_str(), long(status.size)));
        return -1;
    }
    // A device or a pipe has no size to record: it would fill the diskette with a file that
    // claims to be empty. It is refused before it is opened, since opening a pipe waits until
    // something writes into it.
    std::error_code statusError;
    if (!haveStatus && std::filesystem::exists(path, statusError)) {
        Notify(User(), StrFormat("%s\n\nis not a file. Only files can be added.", path.c_str()));
        return -1;
    }
    HostFile source;
    if (!haveStatus || !source.Open(path, HostFile::Mode::Read)) {
        Notify(User(), StrFormat("%s\n\nFile could not be opened.", path.c_str()));
        return -1;
    }
    if (!source.Seek(start)) {
        Notify(User(), StrFormat("Unable to seek at possition %ld in file\n\nWriting had been "
                                 "interrupted.",
                                 long(start)));
        return -1;
    }
    const std::int64_t length = source.Length();
    if (length > INT32_MAX) {
        // Sizes and positions on the diskette are signed 32-bit numbers.
        Notify(User(), StrFormat("%s\n\nThe file is %lld B long; the diskette's format holds "
                                 "files below 2 GiB (at most %ld B).",
                                 path.c_str(), static_cast<long long>(length), long(INT32_MAX)));
        return -1;
    }
    EntryFromHostFile(path, record, 0);
    if (haveStatus) {
        record.modificationTime = status.modificationTime;
        record.attributes = status.attributes;
    }
    record.size = std::uint32_t(std::max<std::int64_t>(length, 0));
    record.partNumber = 0;
    {
        FileRecord shown = record;
        FormatRecord(shown);
        result.name = shown.displayName;
        const int same = FindFile(shown, false);
        if (same >= 0) result.sameNameNumber = m_files[std::size_t(same)].fileNumber;
    }
    const std::int32_t rest = std::int32_t(record.size) - start;

    const ProgressSpec display =
        FileTransferProgress(Picture::Computer, Picture::Diskette, "Adding file, please wait...",
                             path, "%ld sectors of %ld sectors added");
    // One part from byte `from` on: the block filled and run, and what a cancelled or failed
    // part left in memory taken back, with the message that says why.
    enum class Part { Stored, Cancelled, Failed };
    OperationBlock block;
    auto addPart = [&](std::int32_t from, bool wholeOnly) {
        block = OperationBlock{};
        block.operation = OP_ADD;
        block.document = this;
        block.file = &source;
        block.record = &record;
        block.start = from;
        block.wholeOnly = wholeOnly;
        const DocState before = Save();
        if (RunOperation(block, display) != PROGRESS_OK) {
            RollBack(before);
            Notify(User(), "Action has been interrupted by user.");
            return Part::Cancelled;
        }
        if (block.result < 0) {
            result.failure = block.failure;
            RollBack(before);
            Notify(User(), AddFailureText(block.failure, path, record.size));
            return Part::Failed;
        }
        return Part::Stored;
    };
    if (addPart(start, spread == AddSpread::Never) != Part::Stored) return -1;
    if (block.result >= rest) {
        FormatRecord(record);
        m_files.push_back(record);
        result.complete = true;
        result.stored = rest;
        return 0;
    }

    // The rest goes onto further diskettes, one part each; part k carries the extension "k".
    int partIndex = 0;
    std::int32_t done = block.result;
    bool partOnOpenDiskette = true;  // the record describes a part on the diskette now open
    while (done < rest) {
        // A cancel confirmed just as a part ended stops before the next diskette is asked for.
        if (m_ports.progress->StopAskedAfterLastRun() ||
            AskNextDiskette(partIndex) == DISKETTE_CANCELLED) {
            Notify(User(), StrFormat("Adding has been interrupted on %ld B.", long(done)) +
                               StrFormat(kPartsStayNote, long(start + done)));
            break;
        }
        partOnOpenDiskette = false;
        // One that never takes a write is told as such, and another is asked for in its place.
        if (RefuseReadOnlyMedium()) continue;
        record.extension = StrFormat("%d", partIndex + 1);
        const Part part = addPart(start + done, false);
        if (part == Part::Cancelled) return -1;
        if (part == Part::Failed) {
            // A file that changed meanwhile cannot go on; otherwise nothing of this part was
            // kept: ask again for a diskette under the same mark.
            if (block.failure.sourceChanged || block.failure.hostFile) return -1;
            continue;
        }
        partOnOpenDiskette = true;
        ++partIndex;
        done += block.result;
    }
    result.complete = done >= rest;
    result.stored = std::min(done, rest);
    if (m_bOpen && partOnOpenDiskette) {
        FormatRecord(record);
        m_files.push_back(record);
    }
    return 2;
}

}  // namespace orv

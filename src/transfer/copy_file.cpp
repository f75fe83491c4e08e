// Copying a file from the diskette: parts collected from further diskettes, unreadable units
// filled with 'X' and reported, date and attributes restored.
#include <cstdlib>

#include "ports/text_format.h"
#include "transfer/document.h"
#include "transfer/folder_copy_names.h"
#include "transfer/operation_block.h"

namespace orv {

namespace {

// The extension of a further part is its part number: anything that reads as a number other
// than 0.
bool IsFurtherPart(const std::string& extension) {
    return std::atol(extension.c_str()) != 0;
}

// Why the loop of one pass fell short, for the user: the target, the drive, or the diskette.
std::string PassFailureText(const LoopFailure& failure, const std::string& target) {
    if (failure.hostFile)
        return StrFormat(
            "Could not write to %s.\nThe disk may be full, or the file may not be "
            "writable.",
            target.c_str());
    if (failure.drive != IoError::None) return DriveFailureText(failure.drive);
    return StrFormat("Could not read first sector of file from diskette\nor could not write to %s",
                     target.c_str());
}

}  // namespace

int COrvalisDoc::ConfirmReplace(const std::string& target, const FileRecord& record) {
    HostFileStatus status;
    if (!GetHostFileStatus(target, status)) return 1;
    const std::string text = StrFormat(
        "File %s already exists.\n\nDo you want to replace this file: %ld B, last mod. "
        "%s\nwith file: %ld B, last mod. %s ?",
        target.c_str(), long(status.size), DateTimeText(status.modificationTime).c_str(),
        long(record.size), record.dateText.c_str());
    return Ask(User(), text, Buttons::YesNo) == Answer::Yes ? 1 : 0;
}

int COrvalisDoc::ConfirmBadSectorContinue() {
    return Ask(User(),
               "Orvalis has found bad sector on diskette.\nIf you want to interrupt action, click "
               "CANCEL\nIf you want to continue, click OK. Orvalis will display information\nwhich "
               "you can use later to repair the file.\n\nADVICE: If the file is large and you "
               "still have original source,\nclick OK. Later you can repair it.",
               Buttons::OkCancel, Icon::Exclamation) == Answer::Ok
               ? 1
               : 0;
}

int COrvalisDoc::CopyToFolder(FileRecord& key, const std::string& folder, CFolderCopyNames* names,
                              std::string* path) {
    CFolderCopyNames single(folder);
    CFolderCopyNames& given = names ? *names : single;
    const std::string target = given.PathFor(key);
    if (path) *path = target;
    const int rc = CopyFromDiskette(key, target, true, -1);
    if (m_bTargetOpened) given.Wrote(target);
    return rc;
}

int COrvalisDoc::CopyFromDiskette(FileRecord& key, const std::string& target, bool askReplace,
                                  std::int32_t position) {
    m_bTargetOpened = false;
    const int found = FindChosenFile(key);
    if (found < 0) return -1;
    // A copy of the record: the list may lose it (delete after Mark) or change (next part).
    FileRecord record = m_files[std::size_t(found)];
    std::int32_t size = std::int32_t(record.size);
    int number = record.fileNumber;
    std::int32_t here = m_volume.ChainCapacity(number);

    if (here < size && IsFurtherPart(record.extension) &&
        Ask(User(),
            StrFormat("%s appears to be a part of big file, \nwhich is located on several "
                      "diskettes.\nYou probably wont be able to use this file alone.\nIt's "
                      "recomendet to insert diskette with first part of the file.\n\nCopy the "
                      "file anyway?",
                      record.displayName.c_str()),
            Buttons::YesNo) != Answer::Yes)
        return -1;
    if (SameHostFile(target, m_drive.Path())) {
        Notify(User(), StrFormat("%s\n\nis the diskette in the drive. Orvalis does not copy a "
                                 "file over it.",
                                 target.c_str()));
        return -1;
    }
    if (askReplace && !ConfirmReplace(target, record)) return -1;

    const std::int32_t base = position == -1 ? 0 : position;
    std::int32_t at = base;
    bool more = size - base > here;
    std::int32_t copied = 0;
    // A further part copied on its own (the user said Yes above) goes on with the parts that
    // follow it, never with those before it.
    int part =
        here < size && IsFurtherPart(record.extension) ? std::atoi(record.extension.c_str()) : 0;

    HostFile file;
    const bool opened = position == -1 ? file.Open(target, HostFile::Mode::CreateTruncate)
                                       : file.Open(target, HostFile::Mode::ReadWrite);
    if (!opened) {
        Notify(User(), StrFormat("%s \n\nCould not open or create file.", target.c_str()));
        return -1;
    }
    m_bTargetOpened = true;
    const bool seeked = position == -1  ? file.Seek(0)
                        : position == 0 ? file.SeekEnd()
                                        : file.Seek(position);
    if (!seeked) {
        Notify(User(),
               StrFormat("Cannot seek to possition %ld is \n%s", long(position), target.c_str()));
        return -1;
    }

    // A copy that stops early leaves the target with what it got so far: say so, with its size.
    auto stopped = [&](const std::string& why) {
        file.Close();
        const std::string note = StrFormat("%s is incomplete: it holds %ld B.", target.c_str(),
                                           long(std::max<std::int64_t>(HostFileSize(target), 0)));
        Notify(User(), why.empty() ? note : why + "\n\n" + note);
        return -1;
    };
    const ProgressSpec display = FileTransferProgress(Picture::Diskette, Picture::Computer,
                                                      "Copying file from diskette, please wait...",
                                                      target, "%ld B of %ld copied.");
    SpreadFile spread{record.size, record.modificationTime, {m_volume.Identity()}};
    for (;;) {
        const std::int32_t count = more ? here : size - at;
        OperationBlock block;
        block.operation = OP_COPY;
        block.document = this;
        block.file = &file;
        block.record = &record;
        block.fileNumber = number;
        block.byteCount = count;
        block.copiedBefore = copied;
        block.copyTotal = size - base;
        if (RunOperation(block, display) != PROGRESS_OK)
            return stopped("Action has been interrupted by user.");
        const std::int32_t r = block.result;
        // Whether or not further parts follow, a part whose first unit cannot be read, a target
        // that refuses the data or a drive that fails ends the copy.
        if (r < 0 || block.failure.hostFile || block.failure.drive != IoError::None)
            return stopped(PassFailureText(block.failure, target));
        if (r != count) {
            if (!ConfirmBadSectorContinue()) return stopped("");
            std::vector<std::uint32_t> badList;
            OperationBlock rest;
            rest.operation = OP_COPY_REST;
            rest.document = this;
            rest.file = &file;
            rest.record = &record;
            rest.fileNumber = number;
            rest.byteCount = count - r;
            rest.start = r;
            rest.continueFlag = 1;
            rest.badList = &badList;
            rest.copiedBefore = copied;
            rest.copyTotal = size - base;
            if (RunOperation(rest, display) != PROGRESS_OK)
                return stopped("Action has been interrupted by user.");
            if (rest.failure.hostFile || rest.failure.drive != IoError::None)
                return stopped(PassFailureText(rest.failure, target));
            if (rest.result != count - r)
                return stopped("Unknown error (1), Copying had been interrupt");
            if (ReportBadSectors(record, record.displayName, badList, at, count) == 1) {
                key.size = 0;
                key.modificationTime = 0;
            }
        }
        copied += here;
        if (!more) break;
        at += here;
        ++part;
        int next = -1;
        if (AskDisketteWithPart(part, record.name, next, &spread) == DISKETTE_CANCELLED)
            return stopped("");
        const FileRecord& found2 = m_files[std::size_t(next)];
        const std::uint32_t modTime = record.modificationTime;
        const std::uint8_t attributes = record.attributes;
        record = found2;
        // Date and attributes come from the first part, which the user chose.
        record.modificationTime = modTime;
        record.attributes = attributes;
        number = record.fileNumber;
        size = std::int32_t(record.size);
        here = m_volume.ChainCapacity(number);
        more = here + copied < size - base;
    }

    // Writes that the buffer held back may fail only now (a full disk): the target is short.
    if (!file.Close()) {
        return stopped("Acception occured during closes the file.\n\n" +
                       PassFailureText(LoopFailure{IoError::None, true, false}, target));
    }
    if (m_bRestoreAttributes && HostFileSize(target) >= 0 &&
        !SetHostFileStatus(target, record.modificationTime, record.attributes)) {
        Notify(User(), "Acception occured during setting file attributs.");
        return -1;
    }
    return 0;
}

}  // namespace orv

#include "transfer/file_batches.h"

#include "host/host_file.h"
#include "ports/text_format.h"
#include "transfer/folder_copy_names.h"

namespace orv {

namespace {

long Kb(std::int64_t bytes) {
    return long(bytes / 1024);
}

}  // namespace

std::int64_t HardDiskRoom(const std::string& path) {
    return HostFreeSpace(path);
}

namespace {

// The diskette's free bytes as the status bar shows them; -1 before any diskette was opened,
// so that a file of unknown size (-1) is never asked about.
std::int64_t FreeOnDiskette(const COrvalisDoc& doc) {
    return doc.DeviceOpened() ? doc.Volume().FreeBytes() : -1;
}

// A copy needs room on the hard disk; when it cannot be told, nobody is asked.
Answer AskRoom(COrvalisDoc& doc, const FileRecord& key, const std::string& target,
               Buttons buttons) {
    const std::int64_t room = HardDiskRoom(target);
    const std::int64_t need = doc.BytesOnDiskette(key);
    if (room == -1 || room >= need) return Answer::Yes;
    return Ask(doc.User(),
               StrFormat("File %s   ( %ld kB ) is bigger\nthan free space on the disk %s  ( %ld kB "
                         ")\n\nDo you want to try to write this file ?",
                         key.displayName.c_str(), Kb(need), HostDriveName(target).c_str(),
                         long(std::uint64_t(room) >> 10)),
               buttons, Icon::Question, Answer::No);
}

// Whether the user confirmed a Cancel in the progress of the operation that just returned.
class CancelWatch {
public:
    explicit CancelWatch(const COrvalisDoc& doc) : m_doc(doc), m_before(doc.Cancels()) {}
    bool Cancelled() const { return m_doc.Cancels() != m_before; }

private:
    const COrvalisDoc& m_doc;
    long m_before;
};

// The files a batch could not handle, one a line under the count (a screenful at most).
std::string NamedFiles(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 20;
    if (names.empty()) return {};
    std::string text = "\n";
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += "\n" + names[i];
    if (names.size() > kShown) text += StrFormat("\n... and %d more", int(names.size() - kShown));
    return text;
}

}  // namespace

AddFilesResult AddFiles(COrvalisDoc& doc, const std::vector<std::string>& paths,
                        const AddedFile& added) {
    AddFilesResult result;
    if (doc.RefuseReadOnlyMedium()) {
        result.end = BatchEnd::NotStarted;
        return result;
    }
    ProgressBatch batch(doc.Progress(), int(paths.size()));
    int n = 0;
    for (const std::string& path : paths) {
        batch.File(++n);
        const std::int64_t free = FreeOnDiskette(doc);
        const std::int64_t size = HostFileSize(path);
        if (free < size) {
            const Answer a = Ask(doc.User(),
                                 StrFormat("File %s\n( %ld kB ) is bigger than free space on the "
                                           "diskette ( %ld kB)\n\nDo you want to continue ?",
                                           path.c_str(), Kb(size), Kb(free)),
                                 Buttons::YesNoCancel, Icon::Question, Answer::No);
            if (a == Answer::Cancel) {
                result.end = BatchEnd::Cancelled;
                return result;
            }
            if (a != Answer::Yes) {
                ++result.skipped;
                continue;
            }
        }
        const CancelWatch watch(doc);
        AddOutcome outcome;
        if (doc.AddFile(path, 0, &outcome) == -1) {
            result.end = watch.Cancelled() ? BatchEnd::Cancelled : BatchEnd::Failed;
            return result;
        }
        ++result.added;
        if (added) added(path, outcome);
    }
    return result;
}

BatchEnd AddFileFrom(COrvalisDoc& doc, const std::string& path, std::int32_t start,
                     AddOutcome* outcome) {
    if (doc.RefuseReadOnlyMedium()) return BatchEnd::NotStarted;
    const std::int64_t free = FreeOnDiskette(doc);
    const std::int64_t rest = HostFileSize(path) - start;
    if (free < rest &&
        Ask(doc.User(),
            StrFormat("Part of file  %s\nSize %ld kB  is bigger than free space on the diskette ( "
                      "%ld kB)\n\nDo you want to continue ?",
                      path.c_str(), Kb(rest), Kb(free)),
            Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes)
        return BatchEnd::NotStarted;
    const CancelWatch watch(doc);
    if (doc.AddFile(path, start, outcome) == -1)
        return watch.Cancelled() ? BatchEnd::Cancelled : BatchEnd::Failed;
    return BatchEnd::Done;
}

BatchEnd CopyFile(COrvalisDoc& doc, FileRecord& key, const std::string& target) {
    if (AskRoom(doc, key, target, Buttons::YesNo) != Answer::Yes) return BatchEnd::NotStarted;
    const CancelWatch watch(doc);
    if (doc.CopyFromDiskette(key, target, true, -1) == -1)
        return watch.Cancelled() ? BatchEnd::Cancelled : BatchEnd::Failed;
    return BatchEnd::Done;
}

CopyFilesResult CopyFilesToFolder(COrvalisDoc& doc, std::vector<FileRecord>& keys,
                                  const std::string& folder, int notFound) {
    CopyFilesResult result;
    result.failed = notFound;
    CFolderCopyNames given(folder);
    std::vector<std::string> names;  // of the files tried and not copied
    ProgressBatch batch(doc.Progress(), int(keys.size()));
    int n = 0;
    for (FileRecord& key : keys) {
        batch.File(++n);
        const Answer a = AskRoom(doc, key, folder, Buttons::YesNoCancel);
        if (a == Answer::Cancel) {
            result.end = BatchEnd::Cancelled;
            break;
        }
        if (a != Answer::Yes) {
            ++result.skipped;
            continue;
        }
        const CancelWatch watch(doc);
        if (doc.CopyToFolder(key, folder, &given) == -1) {
            ++result.failed;
            names.push_back(key.displayName);
            // A Cancel in a file's progress is meant for the command, not for that file alone.
            if (watch.Cancelled()) {
                result.end = BatchEnd::Cancelled;
                break;
            }
            continue;
        }
        ++result.copied;
    }
    if (result.failed > 0)
        Notify(doc.User(),
               StrFormat("%d file(s) was not copied.", result.failed) + NamedFiles(names));
    return result;
}

DeleteFilesResult DeleteFiles(COrvalisDoc& doc, const std::vector<FileRecord>& keys) {
    DeleteFilesResult result;
    result.end = BatchEnd::NotStarted;
    if (keys.empty()) {
        Notify(doc.User(), "First select some file(s).");
        return result;
    }
    if (doc.RefuseReadOnlyMedium()) return result;
    if (Ask(doc.User(), "Are you sure you want to delete the file(s).", Buttons::YesNo) !=
        Answer::Yes)
        return result;
    result.end = BatchEnd::Done;
    // The table is written once, with the last file.
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool last = i + 1 == keys.size();
        if (doc.DeleteFromDiskette(keys[i], last, true) != 0) {
            // The deletes before this one were in memory only and are undone with it.
            result.deleted = 0;
            result.end = BatchEnd::Failed;
            if (!last) Notify(doc.User(), "Not all files were erased");
            return result;
        }
        ++result.deleted;
    }
    return result;
}

}  // namespace orv

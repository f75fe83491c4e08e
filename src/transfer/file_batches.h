// The file commands as the user gives them: several files added, deleted or copied into a
// folder at once, with the questions that go with a batch (the free space, the delete
// confirmation). The front ends only choose the files and call these; what a batch asks, when
// it stops and what it says at its end is written here once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fs/file_record.h"
#include "transfer/document.h"

namespace orv {

// How a batch ended.
enum class BatchEnd {
    Done,        // every file was tried, or skipped when the user answered No for it
    NotStarted,  // nothing was tried: no file, a medium that takes no write, or the user said No
    Cancelled,   // the user stopped the batch: Cancel at a question, or in a file's progress
    Failed,      // a file failed in a way that stops the batch
};

struct AddFilesResult {
    BatchEnd end = BatchEnd::Done;
    int added = 0;    // files that reached the diskette, whole or in part
    int skipped = 0;  // files the user chose not to add at the free-space question
};

// Called after each file that reached the diskette, with how far it got.
using AddedFile = std::function<void(const std::string& path, const AddOutcome& outcome)>;

// Adds the files in their order, each from its first byte. A file larger than the free space is
// asked about first (Yes adds it over further diskettes, No skips it, Cancel ends the batch);
// the first file that fails ends the batch, and the files added before it stay.
AddFilesResult AddFiles(COrvalisDoc& doc, const std::vector<std::string>& paths,
                        const AddedFile& added = {});

// Adds one file from byte `start`, asking first when the rest is larger than the free space.
// Done when it reached the diskette (outcome says how far), NotStarted when refused or
// answered No.
BatchEnd AddFileFrom(COrvalisDoc& doc, const std::string& path, std::int32_t start,
                     AddOutcome* outcome = nullptr);

// The free bytes of the hard disk that holds path, as a copy there counts its room; -1 when
// they cannot be told.
std::int64_t HardDiskRoom(const std::string& path);

// Copies one file to target as a new file (asking before replacing one), asking first when the
// hard disk lacks the room. Done when copied; NotStarted when the user said No to the room.
BatchEnd CopyFile(COrvalisDoc& doc, FileRecord& key, const std::string& target);

struct CopyFilesResult {
    BatchEnd end = BatchEnd::Done;
    int copied = 0;
    int failed = 0;   // files not copied, including those the caller could not find
    int skipped = 0;  // files the user chose not to copy at the room question
};

// Copies the files into the folder, each under a name of its own there (CFolderCopyNames). A
// file that the hard disk lacks the room for is asked about (Yes tries, No skips, Cancel ends
// the batch); a file that fails is counted and the batch goes on, a Cancel in its progress ends
// it. notFound names files the caller was asked for and could not find: they count as not
// copied. When any file was not copied the user is told how many, once, with the names of
// those tried. The files of the batch share one progress display (ProgressBatch), as do those
// of AddFiles.
CopyFilesResult CopyFilesToFolder(COrvalisDoc& doc, std::vector<FileRecord>& keys,
                                  const std::string& folder, int notFound = 0);

struct DeleteFilesResult {
    BatchEnd end = BatchEnd::Done;
    int deleted = 0;
};

// Deletes the files after one confirmation. The table is written once, with the last file; the
// first failure ends the batch (the files deleted before it in memory come back), and the user
// is told when files were left untried.
DeleteFilesResult DeleteFiles(COrvalisDoc& doc, const std::vector<FileRecord>& keys);

}  // namespace orv

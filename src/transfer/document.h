// The document: the diskette in drive A:, its volume and file list, and the file operations
// that move data between the hard disk and the diskette.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk/drive.h"
#include "disk/io_error.h"
#include "fs/file_record.h"
#include "fs/volume.h"
#include "ports/drive_messages.h"
#include "ports/progress_port.h"
#include "ports/user_port.h"
#include "transfer/bad_sector_report.h"
#include "transfer/file_loops.h"

namespace orv {

struct OperationBlock;

enum : int { DISKETTE_CANCELLED = 25, DISKETTE_READY = 26 };

// What the document knows of the open diskette: put back when an operation fails.
struct DocState {
    VolumeState volume;
    std::vector<FileRecord> files;
    long systemWrites = 0;
};

// The first part of a file spread over several diskettes: a further part must carry the same
// size and date, and come from a diskette not used before.
struct SpreadFile {
    std::uint32_t size = 0;
    std::uint32_t modificationTime = 0;
    std::vector<DisketteIdentity> seen;
};

// How far an add got: the bytes of the source behind the start position that are on
// diskettes now, and whether that is all of it; for an add that failed, why, where the loop
// could tell.
struct AddOutcome {
    bool complete = false;
    std::int32_t stored = 0;
    LoopFailure failure;
};

// Whether an add that fills the diskette goes on on further diskettes (the user is asked for
// each), or fails and stores nothing (a program that cannot ask for another diskette).
enum class AddSpread { OntoFurtherDiskettes, Never };

struct DocPorts {
    IUserPort* user = nullptr;
    IProgressRunner* progress = nullptr;
    IBadSectorReportPort* report = nullptr;
};

class COrvalisDoc {
public:
    COrvalisDoc(CDrive& drive, DocPorts ports);
    ~COrvalisDoc();
    COrvalisDoc(const COrvalisDoc&) = delete;
    COrvalisDoc& operator=(const COrvalisDoc&) = delete;

    // 0 opened; -1 not formatted for Orvalis; -2 table unreadable; -3 no diskette or sector 0
    // unreadable; -4 the user declined to open a diskette without the signature; -5 another
    // program has the diskette. While open, the diskette is held for this program.
    int OpenDiskette();
    // What the user is told for an OpenDiskette code (for -5 it names the other program).
    std::string OpenErrorMessage(int code) const;
    // The last OpenDiskette found the signature in sector 0: the diskette was formatted for
    // Orvalis, whatever could not be read after it.
    bool SignatureSeen() const { return m_bSignatureSeen; }
    void CloseDiskette();
    bool IsOpen() const { return m_bOpen; }
    // The open diskette's two table copies differ: its files are listed as their units confirm
    // them, and nothing is written on it until the disk service has repaired it.
    bool CopiesDiffer() const { return m_bCopiesDiffer; }
    // Marks of bad units that the user confirmed but that never reached the diskette (the
    // damaged file's delete failed or was refused), counted over the document's life: a
    // caller that asked for the mark tells its own failure from this.
    int FailedMarks() const { return m_failedMarks; }

    // List position of the first record whose display name matches the key's (and with exact
    // also its size and number texts); -1 when none. Case-insensitive.
    int FindFile(const FileRecord& key, bool exact) const;
    static void FormatRecord(FileRecord& record);
    std::int32_t BytesOnDiskette(const FileRecord& key) const;
    int CheckSameDiskette();  // 1 same diskette; 0 the user gave up
    int AskNextDiskette(int partIndex);
    // With spread, a part that does not belong to that file is refused and asked for again.
    int AskDisketteWithPart(int part, const std::string& name, int& position,
                            SpreadFile* spread = nullptr);

    // 0 all on this diskette; 2 spread over several (or stopped at a change); -1 failed.
    int AddFile(const std::string& path, std::int32_t start, AddOutcome* outcome = nullptr,
                AddSpread spread = AddSpread::OntoFurtherDiskettes);
    // position -1: new file; 0: append; above 0: write from there. 0 copied, -1 not.
    int CopyFromDiskette(FileRecord& key, const std::string& target, bool askReplace,
                         std::int32_t position);
    // taken: the names in the folder that earlier files of the same run went to; a file whose
    // name is among them goes under its name and number ("notes.txt #7"), so that two files of
    // one name both arrive.
    int CopyToFolder(FileRecord& key, const std::string& folder,
                     std::vector<std::string>* taken = nullptr);
    int DeleteFromDiskette(const FileRecord& key, bool writeTable, bool showMessage);
    // partBytes: the bytes of the file that this diskette's part gave the target.
    int ReportBadSectors(const FileRecord& key, const std::string& name,
                         std::vector<std::uint32_t>& badList, std::int32_t start,
                         std::int32_t partBytes);

    // True, with the user told why, when the medium in the drive never takes a write (an
    // ImageDisk file). A command that writes asks this before its own questions; the
    // document's operations that write ask it again before they touch anything.
    bool RefuseReadOnlyMedium();

    int ConfirmReplace(const std::string& target, const FileRecord& record);
    int ConfirmBadSectorContinue();

    const std::vector<FileRecord>& Files() const { return m_files; }
    CVolume& Volume() { return m_volume; }
    const CVolume& Volume() const { return m_volume; }
    CDrive& Drive() { return m_drive; }
    IUserPort& User() { return m_user; }
    // The runner of the document's long operations, for the front end's own (the rescue
    // operations over image files).
    IProgressRunner& Progress() { return *m_ports.progress; }
    bool DeviceOpened() const { return m_bDeviceOpened; }

    bool m_bRestoreAttributes = true;  // "Set attributes and time of a file copied..."
    bool m_bVerification = false;      // read test before writing

private:
    int RunOperation(OperationBlock& block, const ProgressSpec& display);
    void ShowOpenError(int code);

    // After an operation that failed, was refused or was cancelled, the volume in memory must
    // equal the diskette again: what was taken before it is put back, and when a system record
    // reached the diskette meanwhile, the diskette is read again.
    DocState Save() const;
    void RollBack(const DocState& before);
    // Reads the open diskette's ID sectors, table and file list again, without questions;
    // when that fails the document is closed and the user told so. True when re-read.
    bool Reload();
    // Reads the table (settling copies that differ) and the file list, telling the user what
    // they must know; false when the table cannot be read.
    bool LoadFiles();
    // The diskette in the drive is the one opened: its ID record and its table say so.
    bool SameDisketteInDrive();
    // True, with the user told why, when the table copies differ: nothing may be written then.
    bool RefuseWhileCopiesDiffer();

    CDrive& m_drive;
    DocPorts m_ports;
    GuardedUserPort m_user;  // the ports' user, with the drive's read-ahead dropped first
    bool m_bDeviceOpened = false;
    bool m_bOpen = false;
    std::vector<FileRecord> m_files;
    CVolume m_volume;
    DriveLock m_lock;  // held from OpenDiskette to CloseDiskette
    std::string m_lockError;
    bool m_bCopiesDiffer = false;  // the open diskette's table copies differ (settled in memory)
    int m_failedMarks = 0;
    bool m_bSignatureSeen = false;
    // Deletes made in memory whose table write is still to come (several files deleted at
    // once write the table with the last one): what the diskette held before the first.
    std::optional<DocState> m_pendingDelete;
};

}  // namespace orv

// The document: the diskette in drive A:, its volume and file list, and the file operations
// that move data between the hard disk and the diskette.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "disk/drive.h"
#include "disk/io_error.h"
#include "fs/diskette_open.h"
#include "fs/file_record.h"
#include "fs/volume.h"
#include "ports/drive_messages.h"
#include "ports/progress_port.h"
#include "ports/user_port.h"
#include "transfer/bad_sector_report.h"
#include "transfer/file_loops.h"

namespace orv {

struct OperationBlock;
class CFolderCopyNames;

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
    // The diskette held a file of the same name already (names compare as FindFile compares
    // them): its number, and the name, so that a front end can say that both are there now.
    int sameNameNumber = 0;
    std::string name;
    LoopFailure failure;
};

// What the user is told after an add that put a second file of a name onto the diskette; empty
// when the name was new there.
std::string SameNameNote(const AddOutcome& outcome);

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
    // Counts the long operations that ended at a Cancel the user confirmed, over the
    // document's life: a batch of files tells a Cancel from a failure by it.
    long Cancels() const { return m_cancels; }

    // List position of the first record whose display name matches the key's (and with exact
    // also its size and number texts); -1 when none. Case-insensitive.
    int FindFile(const FileRecord& key, bool exact) const;
    static void FormatRecord(FileRecord& record);
    std::int32_t BytesOnDiskette(const FileRecord& key) const;
    int CheckSameDiskette();  // 1 same diskette; 0 the user gave up
    // A diskette that left the drive (an insert, an eject, an answered insert prompt) may have
    // been written elsewhere before it came back, whatever the lock: once the opened diskette is
    // in the drive again, its table and files are read again before anything uses them. False
    // when that failed (the document is then closed and the user told so). Also done by
    // CheckSameDiskette; a front end that names files by the list calls it first.
    bool ReadAgainWhenBack();
    // Counts the readings of the file list (open, and every reading again): a front end that
    // shows the list rebuilds it when this changed.
    long ListReadings() const { return m_listReadings; }
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
    // With names (one for all the files of one command), each file gets its own name, and no
    // file that the command wrote is offered for replacing; the path used goes to *path.
    int CopyToFolder(FileRecord& key, const std::string& folder, CFolderCopyNames* names = nullptr,
                     std::string* path = nullptr);
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
    // The label of the diskette read last, as text to show (the ID record stores its bytes).
    std::string LabelText() const;
    CVolume& Volume() { return m_volume; }
    const CVolume& Volume() const { return m_volume; }
    CDrive& Drive() { return m_drive; }
    IUserPort& User() { return m_user; }
    // The runner of the document's long operations, for the front end's own (the rescue
    // operations over image files).
    IProgressRunner& Progress() { return *m_ports.progress; }
    bool DeviceOpened() const { return m_bDeviceOpened; }
    // A front end that can format the diskette in the drive (its format dialog) offers it where
    // an add asks for the next diskette and a blank one was put in; true when it formatted.
    void SetFormatter(std::function<bool()> format) { m_formatter = std::move(format); }
    // Called when an add or copy has opened another diskette for its next part, so that a front
    // end shows that diskette (its label, free space and files) while the operation goes on.
    void SetDisketteFollower(std::function<void()> follow) { m_follower = std::move(follow); }

    bool m_bRestoreAttributes = true;  // "Set attributes and time of a file copied..."
    bool m_bVerification = false;      // read test before writing

private:
    int RunOperation(OperationBlock& block, const ProgressSpec& display);
    void ShowOpenError(int code);
    // Tells the front end that another diskette is open now; returns code.
    int Followed(int code);

    // After an operation that failed, was refused or was cancelled, the volume in memory must
    // equal the diskette again: what was taken before it is put back, and when a system record
    // reached the diskette meanwhile, the diskette is read again.
    DocState Save() const;
    void RollBack(const DocState& before);
    // Reads the open diskette's ID sectors, table and file list again, without questions;
    // when that fails the document is closed and the user told why (failure). True when re-read.
    bool Reload(const char* failure = kReloadAfterFailure);
    static constexpr const char* kReloadAfterFailure =
        "Orvalis could not read the diskette again after the failure.\nOpen the diskette again "
        "to see what it holds.";
    // The opened diskette is in the drive: reads it again when it may have left since the last
    // reading. False when the document had to close.
    bool ReadAgainIfItLeft();
    // The file the user chose (from the list before the operation) with the diskette in the
    // drive checked, and still what the list showed: a diskette read again may hold another
    // file under the same number. Its list position, or -1 (told unless the key was not listed).
    int FindChosenFile(const FileRecord& key);
    // Reads the table (settling copies that differ) and the file list, telling the user what
    // they must know; false when the table cannot be read.
    bool LoadFiles();
    // Takes the files an open or a reading again found, telling the user what they must know.
    void TakeFiles(OpenEnd end, DisketteListing& listing);
    // The diskette in the drive is the one opened: its ID record and its table say so.
    bool SameDisketteInDrive();
    // True, with the user told why, when the table copies differ: nothing may be written then.
    bool RefuseWhileCopiesDiffer();

    CDrive& m_drive;
    DocPorts m_ports;
    std::function<bool()> m_formatter;
    std::function<void()> m_follower;
    GuardedUserPort m_user;  // the ports' user, with the drive's read-ahead dropped first
    bool m_bDeviceOpened = false;
    bool m_bOpen = false;
    std::vector<FileRecord> m_files;
    CVolume m_volume;
    DriveLock m_lock;  // held from OpenDiskette to CloseDiskette
    std::string m_lockError;
    bool m_bCopiesDiffer = false;  // the open diskette's table copies differ (settled in memory)
    int m_failedMarks = 0;
    long m_cancels = 0;
    bool m_bSignatureSeen = false;
    bool m_bTargetOpened = false;      // the last CopyFromDiskette created or opened its target
    std::uint64_t m_driveChanges = 0;  // the drive's changes when the diskette was last read
    bool m_bPromptAnswered = false;    // an insert prompt was answered since then
    long m_listReadings = 0;
    // Deletes made in memory whose table write is still to come (several files deleted at
    // once write the table with the last one): what the diskette held before the first.
    std::optional<DocState> m_pendingDelete;
};

}  // namespace orv

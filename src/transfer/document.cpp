// Opening and closing the diskette, the file list, and the prompts for other diskettes.
#include "transfer/document.h"

#include <algorithm>

#include "fs/name_text.h"
#include "host/host_file.h"
#include "ports/text_format.h"

namespace orv {

namespace {
constexpr std::size_t kDisplayNameCharacters = 54;
constexpr char kFormatForPartOffer[] =
    "\n\nA diskette that was never formatted for Orvalis takes the next part once it is "
    "formatted.\nDo you want to format it now ?";
}  // namespace

COrvalisDoc::COrvalisDoc(CDrive& drive, DocPorts ports)
    : m_drive(drive),
      m_ports(ports),
      m_user(*ports.user, [&drive] { drive.DropBuffer(); }),
      m_volume(&drive) {}

COrvalisDoc::~COrvalisDoc() {
    m_files.clear();
    if (m_bDeviceOpened) m_volume.CloseDevice();
}

std::string COrvalisDoc::OpenErrorMessage(int code) const {
    return code == -5 ? m_lockError : OpenErrorText(code);
}

void COrvalisDoc::ShowOpenError(int code) {
    Notify(User(), OpenErrorMessage(code));
}

DocState COrvalisDoc::Save() const {
    return DocState{m_volume.State(), m_files, m_volume.SystemWrites()};
}

void COrvalisDoc::RollBack(const DocState& before) {
    m_volume.Restore(before.volume);
    m_files = before.files;
    if (m_volume.SystemWrites() != before.systemWrites) Reload();
}

bool COrvalisDoc::Reload(const char* failure) {
    const std::string label = m_volume.Ids().label;
    m_volume.ResetVolume();
    if (m_volume.FindIdSectors() != true || m_volume.Ids().label != label || !LoadFiles()) {
        CloseDiskette();
        Notify(User(), failure);
        return false;
    }
    return true;
}

bool COrvalisDoc::ReadAgainIfItLeft() {
    if (m_drive.Changes() == m_driveChanges && !m_bPromptAnswered) return true;
    // Deletes kept in memory for a table write still to come cannot be trusted to the
    // table read now; the delete that was to write it refuses (DeleteFromDiskette).
    m_pendingDelete.reset();
    return Reload(
        "Orvalis could not read the diskette again after it came back into the drive.\nOpen "
        "the diskette again to see what it holds.");
}

bool COrvalisDoc::ReadAgainWhenBack() {
    if (!m_bOpen) return false;
    if (m_drive.Changes() == m_driveChanges && !m_bPromptAnswered) return true;
    // Another diskette in the drive: the operation that needs the opened one asks for it.
    if (!SameDisketteInDrive()) return true;
    return ReadAgainIfItLeft();
}

namespace {

bool SameEntry(const FileRecord& a, const FileRecord& b) {
    return a.name == b.name && a.extension == b.extension &&
           a.modificationTime == b.modificationTime && a.attributes == b.attributes &&
           a.size == b.size && a.fileNumber == b.fileNumber && a.partNumber == b.partNumber;
}

}  // namespace

int COrvalisDoc::FindChosenFile(const FileRecord& key) {
    // The file is the entry as the user saw it listed, all of it: the list may have been read
    // again since (by the file before it in a batch), and a file that another machine wrote in
    // its place takes its number, part and size but not its name and date.
    const bool listed = FindFile(key, true) >= 0;
    if (!CheckSameDiskette()) return -1;
    const int found = FindFile(key, true);
    if (found >= 0 && SameEntry(key, m_files[std::size_t(found)])) return found;
    if (listed || found >= 0)
        Notify(User(), StrFormat("%s is no longer on the diskette as it was listed: the diskette "
                                 "left the drive, and its files have been read again.\nChoose "
                                 "the file again.",
                                 key.displayName.c_str()));
    return -1;
}

namespace {

std::string CopiesDifferText(const std::vector<FileRecord>& unsettled) {
    std::string text =
        "The two copies of the allocation table on this diskette differ: a table write was cut "
        "short.\nFiles are listed as their own units confirm them; nothing is written on the "
        "diskette.\nRun Disk service (full test) to repair it.";
    if (unsettled.empty()) return text;
    text += "\n\nNot listed, because their units do not confirm them:";
    for (FileRecord record : unsettled) {
        COrvalisDoc::FormatRecord(record);
        text += StrFormat("\n  %s (#%d)", record.displayName.c_str(), int(record.fileNumber));
    }
    return text;
}

}  // namespace

bool COrvalisDoc::LoadFiles() {
    DisketteListing listing;
    const OpenEnd end = ReadDisketteFiles(m_volume, listing);
    if (!Listed(end)) return false;
    TakeFiles(end, listing);
    return true;
}

void COrvalisDoc::TakeFiles(OpenEnd end, DisketteListing& listing) {
    m_bCopiesDiffer = end == OpenEnd::CopiesDiffer;
    if (m_bCopiesDiffer) Notify(User(), CopiesDifferText(listing.unsettled));
    if (listing.headersUnreadable)
        Notify(User(),
               "Cannot read first sector of at least one file on diskette.\nRun Diske Service if "
               "you want to use this file(s).");
    for (FileRecord& record : listing.files) FormatRecord(record);
    m_files = std::move(listing.files);
    ++m_listReadings;
    m_driveChanges = m_drive.Changes();
    m_bPromptAnswered = false;
}

bool COrvalisDoc::RefuseWhileCopiesDiffer() {
    if (!m_bCopiesDiffer) return false;
    Notify(User(),
           "The two copies of the allocation table on this diskette differ.\nRun Disk service "
           "(full test) to repair the diskette before anything is written on it.");
    return true;
}

bool COrvalisDoc::RefuseReadOnlyMedium() {
    const std::string refusal = m_drive.WriteRefusal();
    if (refusal.empty()) return false;
    Notify(User(), refusal);
    return true;
}

int COrvalisDoc::OpenDiskette() {
    if (!m_bDeviceOpened) {
        m_bDeviceOpened = m_volume.OpenDevice().Ok();
    }
    m_bOpen = false;
    m_bSignatureSeen = false;
    // Nobody else may change the diskette while it is open here, nor between our questions.
    if (!m_lock.Held()) {
        DriveLock lock(m_drive);
        if (!lock.Held()) {
            m_lockError = lock.Error();
            return -5;
        }
        m_lock = std::move(lock);
    }
    DisketteListing listing;
    const OpenEnd end = OpenDisketteFiles(m_volume, listing, [this] {
        return Ask(User(),
                   "Diskette seems to be not formated for Orvalis\nor was formated in previous "
                   "version of Orvalis.\n\nDo you want to open the diskette.",
                   Buttons::YesNo) == Answer::Yes;
    });
    m_bSignatureSeen = listing.signature;
    switch (end) {
        case OpenEnd::Sector0Unreadable:
            return -3;
        case OpenEnd::Declined:
            return -4;
        case OpenEnd::NoIdSectors:
            return -1;
        case OpenEnd::TableUnreadable:
            return -2;
        case OpenEnd::Opened:
        case OpenEnd::CopiesDiffer:
            break;
    }
    TakeFiles(end, listing);
    m_bOpen = true;
    return 0;
}

void COrvalisDoc::CloseDiskette() {
    if (m_bDeviceOpened) m_volume.ResetVolume();
    m_files.clear();
    m_pendingDelete.reset();
    m_lock.Release();
    m_bCopiesDiffer = false;
    m_bOpen = false;
}

int COrvalisDoc::FindFile(const FileRecord& key, bool exact) const {
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const FileRecord& r = m_files[i];
        // A file is the file number that the table gives it, and the part of its file that it
        // holds; what the list shows of its name may be decoded or cut.
        const bool match = exact ? r.fileNumber == key.fileNumber && r.extension == key.extension &&
                                       r.partNumber == key.partNumber && r.size == key.size
                                 : EqualsNoCase(r.displayName, key.displayName);
        if (match) return int(i);
    }
    return -1;
}

void COrvalisDoc::FormatRecord(FileRecord& r) {
    std::string name = r.name;
    if (!r.extension.empty()) name.append(".").append(r.extension);
    r.displayName = CharacterPrefix(DisplayText(name), kDisplayNameCharacters);
    r.sizeText = StrFormat("%ld", long(r.size));
    r.dateText = DateTimeText(r.modificationTime);
    std::string attributes = (r.attributes & ATTR_READONLY) ? "AR" : "ARW";
    if (r.attributes & ATTR_HIDDEN) attributes.push_back('H');
    if (r.attributes & ATTR_SYSTEM) attributes.push_back('S');
    r.attributeText = std::move(attributes);
    r.numberText = StrFormat("%d", int(r.fileNumber));
}

std::int32_t COrvalisDoc::BytesOnDiskette(const FileRecord& key) const {
    const int pos = FindFile(key, true);
    if (pos < 0) return 0;
    const FileRecord& r = m_files[std::size_t(pos)];
    return std::min<std::int64_t>(r.size, m_volume.ChainCapacity(r.fileNumber));
}

bool COrvalisDoc::SameDisketteInDrive() {
    // Label and stamp first, as always; then the table, which tells a copy of the diskette
    // (same label and stamp) that has gone its own way. Settled copies are left out: memory
    // holds what neither copy says.
    return m_volume.SameDiskette() == true && (m_bCopiesDiffer || m_volume.TableMatchesDiskette());
}

int COrvalisDoc::CheckSameDiskette() {
    while (!SameDisketteInDrive()) {
        const Message prompt{
            "Orvalis found different diskette in drive.\n\nInsert original diskette and click "
            "OK\nIf you want to change diskette, close original diskette first\nand then open "
            "the new one",
            Buttons::OkCancel, Icon::Exclamation, Answer::None};
        if (m_user.AskInsertDiskette(prompt) != Answer::Ok) return 0;
        m_bPromptAnswered = true;
    }
    return ReadAgainIfItLeft() ? 1 : 0;
}

int COrvalisDoc::Followed(int code) {
    if (m_follower) m_follower();
    return code;
}

int COrvalisDoc::AskNextDiskette(int partIndex) {
    for (;;) {
        const Message prompt{
            StrFormat("Please, insert another diskette (mark as %d) and click on OK.",
                      partIndex + 1),
            Buttons::OkCancel, Icon::Exclamation, Answer::None};
        if (m_user.AskInsertDiskette(prompt) != Answer::Ok) return DISKETTE_CANCELLED;
        if (m_volume.SameDiskette() == true &&
            Ask(User(), "Diskette seems to be same\nMake sure the diskette was changed ?",
                Buttons::YesNo) != Answer::Yes)
            continue;
        CloseDiskette();
        const int rc = OpenDiskette();
        if (rc == 0) return Followed(DISKETTE_READY);
        // A diskette never formatted for Orvalis can take the part once it is formatted.
        if (rc == -1 && !m_bSignatureSeen && m_formatter) {
            CloseDiskette();
            if (Ask(User(), OpenErrorMessage(rc) + kFormatForPartOffer, Buttons::YesNo,
                    Icon::Question) == Answer::Yes &&
                m_formatter() && OpenDiskette() == 0)
                return Followed(DISKETTE_READY);
            CloseDiskette();
            continue;
        }
        if (rc != -4) ShowOpenError(rc);
        CloseDiskette();
    }
}

int COrvalisDoc::AskDisketteWithPart(int part, const std::string& name, int& position,
                                     SpreadFile* spread) {
    const std::string partName = StrFormat("%s.%d", name.c_str(), part);
    const std::string extension = StrFormat("%d", part);
    for (;;) {
        const Message prompt{
            StrFormat("Insert diskette with file %s\nand click OK", DisplayText(partName).c_str()),
            Buttons::OkCancel, Icon::Exclamation, Answer::None};
        // The caller says that the copy was interrupted, with what the target holds.
        if (m_user.AskInsertDiskette(prompt) != Answer::Ok) return DISKETTE_CANCELLED;
        CloseDiskette();
        const int rc = OpenDiskette();
        if (rc == 0) {
            Followed(0);  // whichever diskette is open now, the window shows it
            // The name as stored, not as shown: a name that is not UTF-8 is shown decoded.
            position = -1;
            for (std::size_t i = 0; i < m_files.size() && position < 0; ++i)
                if (EqualsNoCase(m_files[i].name, name) && m_files[i].extension == extension)
                    position = int(i);
            if (position < 0) {
                Notify(User(), StrFormat("Could not find a file %s on diskette.",
                                         DisplayText(partName).c_str()));
                continue;
            }
            if (!spread) return DISKETTE_READY;
            const FileRecord& found = m_files[std::size_t(position)];
            const DisketteIdentity here = m_volume.Identity();
            const bool seen =
                std::find(spread->seen.begin(), spread->seen.end(), here) != spread->seen.end();
            if (!seen && found.size == spread->size &&
                found.modificationTime == spread->modificationTime) {
                spread->seen.push_back(here);
                return DISKETTE_READY;
            }
            Notify(User(),
                   seen ? StrFormat("This diskette was read already.\nInsert the diskette with "
                                    "file %s.",
                                    DisplayText(partName).c_str())
                        : StrFormat("%s on this diskette belongs to another file (its size or "
                                    "date differ from the first part).\nInsert the diskette "
                                    "with the right part.",
                                    DisplayText(partName).c_str()));
            continue;
        }
        if (rc != -4) ShowOpenError(rc);
        CloseDiskette();
    }
}

std::string COrvalisDoc::LabelText() const {
    return DisplayText(m_volume.Ids().label);
}

}  // namespace orv

// Opening and closing the diskette, the file list, and the prompts for other diskettes.
#include "transfer/document.h"

#include "ports/text_format.h"

namespace orv {

COrvalisDoc::COrvalisDoc(CDrive& drive, DocPorts ports)
    : m_drive(drive), m_ports(ports), m_volume(&drive) {}

COrvalisDoc::~COrvalisDoc() {
    m_files.clear();
    if (m_bDeviceOpened) m_volume.CloseDevice();
}

std::string OpenErrorText(int code) {
    switch (code) {
        case -3:
            return "Diskette is not in drive, or this diskette is damaged.\nYou can use Disk "
                   "service, or Format. (from Orvalis)";
        case -2: return "Error reading FAT.\nTry to run Disk Service tools.";
        case -1: return "Diskette is not formated for Orvalis.";
        default: return "Unknown error while openning diskette";
    }
}

void COrvalisDoc::ShowOpenError(int code) { Notify(User(), OpenErrorText(code)); }

int COrvalisDoc::OpenDiskette() {
    if (!m_bDeviceOpened) {
        m_volume.OpenDevice();
        m_bDeviceOpened = true;
    }
    m_bOpen = false;
    const int sector0 = m_volume.CheckSector0();
    if (sector0 == -2) return -3;
    if (sector0 == -1 &&
        Ask(User(),
            "Diskette seems to be not formated for Orvalis\nor was formated in previous version "
            "of Orvalis.\n\nDo you want to open the diskette.",
            Buttons::YesNo) != Answer::Yes)
        return -4;
    const int ids = m_volume.FindIdSectors();
    if (ids == -2) return -3;
    if (ids == -1) return -1;
    if (m_volume.ReadFat(false) == 0) return -2;
    // Copies that differ hold a table write that was cut short: the copy read first may list
    // a file with only some of its units. The full test rebuilds such files from their units.
    if (m_volume.DifferingFatSectors() > 0) return -2;

    m_files.clear();
    const int listed = m_volume.ListFiles(m_files);
    if (listed == -2)
        Notify(User(),
               "Cannot read first sector of at least one file on diskette.\nRun Diske Service if "
               "you want to use this file(s).");
    for (FileRecord& record : m_files) FormatRecord(record);
    m_bOpen = true;
    return 0;
}

void COrvalisDoc::CloseDiskette() {
    if (m_bDeviceOpened) m_volume.ResetVolume();
    m_files.clear();
    m_bOpen = false;
}

int COrvalisDoc::FindFile(const FileRecord& key, bool exact) const {
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const FileRecord& r = m_files[i];
        if (!EqualsNoCase(r.displayName, key.displayName)) continue;
        if (exact && (!EqualsNoCase(r.sizeText, key.sizeText) ||
                      !EqualsNoCase(r.numberText, key.numberText)))
            continue;
        return int(i);
    }
    return -1;
}

void COrvalisDoc::FormatRecord(FileRecord& r) {
    r.displayName = r.name;
    if (!r.extension.empty()) r.displayName.append(".").append(r.extension);
    if (r.displayName.size() > 54) r.displayName.resize(54);
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
    const std::int32_t capacity = m_volume.ChainCapacity(r.fileNumber);
    return std::min<std::int64_t>(r.size, std::max(capacity, 0));
}

int COrvalisDoc::CheckSameDiskette() {
    while (m_volume.SameDiskette() != 0) {
        const Message prompt{
            "Orvalis found different diskette in drive.\n\nInsert original diskette and click "
            "OK\nIf you want to change diskette, close original diskette first\nand then open "
            "the new one",
            Buttons::OkCancel, Icon::Exclamation, Answer::None};
        if (m_ports.user->AskInsertDiskette(prompt) != Answer::Ok) return 0;
    }
    return 1;
}

int COrvalisDoc::AskNextDiskette(int partIndex) {
    for (;;) {
        const Message prompt{
            StrFormat("Please, insert another diskette (mark as %d) and click on OK.", partIndex + 1),
            Buttons::OkCancel, Icon::Exclamation, Answer::None};
        if (m_ports.user->AskInsertDiskette(prompt) != Answer::Ok) return DISKETTE_CANCELLED;
        if (m_volume.SameDiskette() == 0 &&
            Ask(User(), "Diskette seems to be same\nMake sure the diskette was changed ?",
                Buttons::YesNo) != Answer::Yes)
            continue;
        CloseDiskette();
        const int rc = OpenDiskette();
        if (rc == 0) return DISKETTE_READY;
        if (rc != -4) ShowOpenError(rc);
        CloseDiskette();
    }
}

int COrvalisDoc::AskDisketteWithPart(int part, const std::string& name, int& position) {
    const std::string partName = StrFormat("%s.%d", name.c_str(), part);
    for (;;) {
        const Message prompt{StrFormat("Insert diskette with file %s\nand click OK", partName.c_str()),
                             Buttons::OkCancel, Icon::Exclamation, Answer::None};
        if (m_ports.user->AskInsertDiskette(prompt) != Answer::Ok) {
            Notify(User(), "Copying had been interrupt by user.");
            return DISKETTE_CANCELLED;
        }
        CloseDiskette();
        const int rc = OpenDiskette();
        if (rc == 0) {
            FileRecord key;
            key.displayName = partName;
            position = FindFile(key, false);
            if (position >= 0) return DISKETTE_READY;
            Notify(User(), StrFormat("Could not find a file %s on diskette.", partName.c_str()));
            continue;
        }
        if (rc != -4) ShowOpenError(rc);
        CloseDiskette();
    }
}

}  // namespace orv

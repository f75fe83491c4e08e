// Deleting a file from the diskette, and the delete that follows a Mark in the report.
#include "transfer/document.h"
#include "ports/text_format.h"

namespace orv {

int COrvalisDoc::DeleteFromDiskette(const FileRecord& key, bool writeTable, bool showMessage) {
    if (!CheckSameDiskette()) return -1;
    const int found = FindFile(key, true);
    if (found < 0) return -1;
    const int number = m_files[std::size_t(found)].fileNumber;
    std::vector<int> units;
    m_volume.CollectUnits(number, units);
    if (m_volume.DeleteFile(number, writeTable) != 0) {
        // The file stays listed, so it keeps its units: left free in memory they would be
        // handed to the next file added and overwrite this one.
        for (int sector : units) m_volume.Fat().Set(UnitOfSector(sector), std::uint16_t(number));
        if (showMessage) Notify(User(), "Could not delete file.\nDiskette may be locked or damaged.");
        return -1;
    }
    m_files.erase(m_files.begin() + found);
    return 0;
}

int COrvalisDoc::ReportBadSectors(const FileRecord& key, const std::string& name,
                                  std::vector<std::uint32_t>& badList, std::int32_t start) {
    const int found = FindFile(key, true);
    BadSectorReport report;
    report.name = name;
    report.startByte = start;
    report.badList = &badList;
    report.volume = &m_volume;
    report.fileNumber = found >= 0 ? m_files[std::size_t(found)].fileNumber : 0;
    if (m_ports.report) m_ports.report->ShowBadSectorReport(report);
    if (!report.marked) return 0;
    for (;;) {
        if (DeleteFromDiskette(key, true, false) == 0) return 1;
        if (Ask(User(),
                StrFormat("File %s could not be delete, Floppy disk is probably protect for "
                          "writing\n\nRepeat ?",
                          name.c_str()),
                Buttons::YesNo) != Answer::Yes)
            break;
    }
    // The file stays: give it back the units that Mark took, or a later table write would
    // shorten its chain and shift every byte behind the first mark.
    UndoMarks(report);
    return 0;
}

}  // namespace orv

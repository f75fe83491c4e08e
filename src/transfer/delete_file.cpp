// Deleting a file from the diskette, and the delete that follows a Mark in the report.
#include "ports/text_format.h"
#include "transfer/document.h"

namespace orv {

int COrvalisDoc::DeleteFromDiskette(const FileRecord& key, bool writeTable, bool showMessage) {
    // Every file deleted since the last table write is still on the diskette: when this delete
    // does not reach the diskette, all of them come back, and nothing of a failed write stays
    // in memory.
    auto abandon = [this] {
        if (!m_pendingDelete) return;
        const DocState before = std::move(*m_pendingDelete);
        m_pendingDelete.reset();
        RollBack(before);
    };
    auto refused = [&] {
        return showMessage ? RefuseReadOnlyMedium() || RefuseWhileCopiesDiffer()
                           : !m_drive.WriteRefusal().empty() || m_bCopiesDiffer;
    };
    const bool deletesPending = m_pendingDelete.has_value();
    int found = FindChosenFile(key);
    if (found >= 0 && deletesPending && !m_pendingDelete) {
        // The diskette left the drive and was read again: the files deleted in memory before
        // this one are on it still, and the table write here would not take them along.
        if (showMessage)
            Notify(User(),
                   "The diskette left the drive before its table was written: the files "
                   "deleted before this one are still on it.\nDelete them again.");
        found = -1;
    }
    if (found >= 0 && refused()) found = -1;
    if (found < 0) {
        abandon();
        return -1;
    }
    const int number = m_files[std::size_t(found)].fileNumber;
    if (!m_pendingDelete) m_pendingDelete = Save();
    Status deleted;
    const auto release = [&] { deleted = m_volume.DeleteFile(number, writeTable); };
    // The table goes to both copies; a program ended between them leaves a diskette that
    // refuses writes until the full test.
    if (writeTable && m_ports.progress)
        m_ports.progress->RunWhole(release);
    else
        release();
    if (!deleted) {
        abandon();
        if (showMessage)
            Notify(User(), "Could not delete file.\nDiskette may be locked or damaged.");
        return -1;
    }
    if (writeTable) m_pendingDelete.reset();
    m_files.erase(m_files.begin() + found);
    return 0;
}

int COrvalisDoc::ReportBadSectors(const FileRecord& key, const std::string& name,
                                  std::vector<std::uint32_t>& badList, std::int32_t start,
                                  std::int32_t partBytes) {
    const int found = FindFile(key, true);
    BadSectorReport report;
    report.name = name;
    report.startByte = start;
    report.fileSize = key.size;
    report.partBytes = partBytes;
    report.badList = &badList;
    report.volume = &m_volume;
    report.fileNumber = found >= 0 ? m_files[std::size_t(found)].fileNumber : 0;
    report.markRefusal = m_drive.WriteRefusal();
    report.drivePath = m_drive.Path();
    const DocState before = Save();
    if (m_ports.report) m_ports.report->ShowBadSectorReport(report);
    if (report.markRefused) ++m_failedMarks;
    if (!report.marked) return 0;
    if (RefuseWhileCopiesDiffer()) {
        RollBack(before);
        ++m_failedMarks;
        return 0;
    }
    for (;;) {
        if (DeleteFromDiskette(key, true, false) == 0) return 1;
        if (!m_bOpen) return 0;  // the diskette could not be read again
        if (Ask(User(),
                StrFormat("File %s could not be delete, Floppy disk is probably protect for "
                          "writing\n\nRepeat ?",
                          name.c_str()),
                // No by default: unattended, a diskette that stays protected is not tried for ever.
                Buttons::YesNo, Icon::Question, Answer::No) != Answer::Yes)
            break;
    }
    // The file stays, with the units that Mark took: a later table write must not shorten its
    // chain and shift every byte behind the first mark.
    RollBack(before);
    ++m_failedMarks;
    return 0;
}

}  // namespace orv

// The file list's own sorting: one direction flag per sortable column, kept for the life of
// the process, flipped by every click on its header.
#pragma once

#include <QCollator>
#include <string>
#include <vector>

#include "fs/file_record.h"

namespace orv {

enum ListColumn : int { COL_NAME = 0, COL_SIZE, COL_DATE, COL_ATTRIBUTES, COL_NUMBER, COL_COUNT };

// Names in the order a person expects: letters without regard to case ("apple" before
// "Banana"), runs of digits by their value ("disk2" before "disk10"), accented letters beside
// their plain ones. Names that differ only in case or leading zeros fall back to their bytes, so
// that the order is total.
class CNameOrder {
public:
    CNameOrder();
    int Compare(const std::string& a, const std::string& b) const;

private:
    QCollator m_collator;
};

// Sorts the records stably by the column, ascending or descending. The attribute column (and a
// column that does not exist) leaves the order alone.
void OrderRecords(std::vector<const FileRecord*>& records, int column, bool ascending);

// Sorts the records (in file-list order on entry) by the column: ascending while the column's
// flag is set and descending while it is clear, then flips the flag. The attribute column
// leaves the order and every flag alone.
void SortRecords(std::vector<const FileRecord*>& records, int column);

// The column's direction flag: true sorts ascending next time.
bool SortAscendingNext(int column);
// The directions the program starts with: name, size and date ascending, number descending.
void ResetSortDirections();

}  // namespace orv

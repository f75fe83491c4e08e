// The file list's own sorting: one direction flag per sortable column, kept for the life of
// the process, flipped by every click on its header.
#pragma once

#include <vector>

#include "fs/file_record.h"

namespace orv {

enum ListColumn : int { COL_NAME = 0, COL_SIZE, COL_DATE, COL_ATTRIBUTES, COL_NUMBER, COL_COUNT };

// Sorts the records (in file-list order on entry) by the column: stably, ascending while the
// column's flag is set and descending while it is clear, then flips the flag. The attribute
// column leaves the order and every flag alone.
void SortRecords(std::vector<const FileRecord*>& records, int column);

// The column's direction flag: true sorts ascending next time.
bool SortAscendingNext(int column);
// The directions the program starts with: name, size and date ascending, number descending.
void ResetSortDirections();

}  // namespace orv

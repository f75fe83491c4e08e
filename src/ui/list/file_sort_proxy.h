// The order in which the window shows the files. Rows show the file list in reverse (its tail,
// the newest file, on top) until a header click sorts them by a column; sorting goes by one
// direction flag per sortable column, kept for the life of the process and flipped by every
// click on its header.
#pragma once

#include <QCollator>
#include <QSortFilterProxyModel>
#include <string>

#include "ui/list/file_list_model.h"

namespace orv {

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

// The column's direction flag: true sorts ascending next time.
bool SortAscendingNext(int column);
void SetSortAscendingNext(int column, bool ascending);
// The directions the program starts with: name, size and date ascending, number descending.
void ResetSortDirections();

class CFileSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CFileSortProxy(QObject* parent = nullptr);

    // A header click: the records sorted by the column, ascending while its flag is set and
    // descending while it is clear, are shown from the last to the first, and the flag flips.
    // "Attributes" (and a column that does not exist) shows the reverse file-list order and
    // leaves every flag alone.
    void SortByColumn(int column);
    // The reverse file-list order that every rebuild shows.
    void Unsort();
    // The rows in the order of a sort by the column in that direction, no flag touched (an
    // order remembered from the last run); a column that does not sort unsorts.
    void SetOrder(int column, bool ascending);

    // -1 while the rows show the reverse file-list order.
    int SortColumn() const { return m_nColumn; }
    // The direction of the sorted records, before they are shown from the last to the first.
    bool SortAscending() const { return m_bAscending; }
    // What the header's indicator shows: the order from the top row down.
    Qt::SortOrder ShownOrder() const {
        return m_bAscending ? Qt::DescendingOrder : Qt::AscendingOrder;
    }

signals:
    void orderChanged();

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    CNameOrder m_names;
    int m_nColumn = -1;
    bool m_bAscending = false;
};

}  // namespace orv

#include "ui/list/file_sort_proxy.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

namespace orv {

namespace {

constexpr std::array<bool, COL_COUNT> kStartDirections = {true, true, true, false, false};

std::array<bool, COL_COUNT>& Directions() {
    static std::array<bool, COL_COUNT> flags = kStartDirections;
    return flags;
}

int CompareBytes(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool Sortable(int column) {
    return column >= 0 && column < COL_COUNT && column != COL_ATTRIBUTES;
}

int CompareBy(int column, const CNameOrder& names, const FileRecord& a, const FileRecord& b) {
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
        case COL_NAME:
            return names.Compare(a.displayName, b.displayName);
        case COL_SIZE:
            return cmp(a.size, b.size);
        case COL_DATE:
            return cmp(a.modificationTime, b.modificationTime);
        case COL_NUMBER:
            return cmp(a.fileNumber, b.fileNumber);
        default:
            return 0;
    }
}

// The user's language decides where accented letters go; the C locale of a bare environment
// would compare code points and ignore numbers, so English stands in for it.
QLocale NameLocale() {
    const QLocale user;
    return user.language() == QLocale::C ? QLocale(QLocale::English) : user;
}

}  // namespace

CNameOrder::CNameOrder() : m_collator(NameLocale()) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

int CNameOrder::Compare(const std::string& a, const std::string& b) const {
    const int c = m_collator.compare(QString::fromStdString(a), QString::fromStdString(b));
    if (c != 0) return c < 0 ? -1 : 1;
    return CompareBytes(a, b);
}

bool SortAscendingNext(int column) {
    return column >= 0 && column < COL_COUNT && Directions()[std::size_t(column)];
}

void SetSortAscendingNext(int column, bool ascending) {
    if (Sortable(column)) Directions()[std::size_t(column)] = ascending;
}

void ResetSortDirections() {
    Directions() = kStartDirections;
}

CFileSortProxy::CFileSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    // The order is this class's own, whatever column Qt names: rows come and go sorted.
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

void CFileSortProxy::SortByColumn(int column) {
    if (!Sortable(column)) {
        Unsort();
        return;
    }
    bool& ascending = Directions()[std::size_t(column)];
    SetOrder(column, ascending);
    ascending = !ascending;
}

void CFileSortProxy::Unsort() {
    SetOrder(-1, false);
}

void CFileSortProxy::SetOrder(int column, bool ascending) {
    m_nColumn = Sortable(column) ? column : -1;
    m_bAscending = m_nColumn >= 0 && ascending;
    invalidate();
    emit orderChanged();
}

bool CFileSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // "Less" is "shown above". The records sorted stably in the column's direction are shown
    // from the last to the first, so the greater key of an ascending sort goes on top and of
    // two equal keys the one nearer the file list's tail does.
    const auto* model = static_cast<const CFileListModel*>(sourceModel());
    if (m_nColumn >= 0) {
        const int c =
            CompareBy(m_nColumn, m_names, model->Record(left.row()), model->Record(right.row()));
        if (c != 0) return m_bAscending ? c > 0 : c < 0;
    }
    return left.row() > right.row();
}

}  // namespace orv

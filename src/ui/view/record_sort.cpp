#include "ui/view/record_sort.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

namespace orv {

namespace {

std::array<bool, COL_COUNT>& Directions() {
    static std::array<bool, COL_COUNT> flags = {true, true, true, false, false};
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
            return cmp(std::uint32_t(a.size), std::uint32_t(b.size));
        case COL_DATE:
            return cmp(std::uint32_t(a.modificationTime), std::uint32_t(b.modificationTime));
        case COL_NUMBER:
            return cmp(std::uint16_t(a.fileNumber), std::uint16_t(b.fileNumber));
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

void OrderRecords(std::vector<const FileRecord*>& records, int column, bool ascending) {
    if (!Sortable(column)) return;
    const CNameOrder names;
    std::stable_sort(records.begin(), records.end(), [&](const FileRecord* a, const FileRecord* b) {
        const int c = CompareBy(column, names, *a, *b);
        return ascending ? c < 0 : c > 0;
    });
}

void SortRecords(std::vector<const FileRecord*>& records, int column) {
    if (!Sortable(column)) return;
    bool& ascending = Directions()[std::size_t(column)];
    OrderRecords(records, column, ascending);
    ascending = !ascending;
}

bool SortAscendingNext(int column) {
    return column >= 0 && column < COL_COUNT && Directions()[std::size_t(column)];
}

void ResetSortDirections() {
    Directions() = {true, true, true, false, false};
}

}  // namespace orv

#include "ui/view/record_sort.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orv {

namespace {

std::array<bool, COL_COUNT>& Directions() {
    static std::array<bool, COL_COUNT> flags = {true, true, true, false, false};
    return flags;
}

// Byte order of unsigned characters, case included; a multi-byte character compares by its
// bytes, which keeps whole characters together.
int CompareNames(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareBy(int column, const FileRecord& a, const FileRecord& b) {
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
        case COL_NAME:
            return CompareNames(a.displayName, b.displayName);
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

}  // namespace

void SortRecords(std::vector<const FileRecord*>& records, int column) {
    if (column < 0 || column >= COL_COUNT || column == COL_ATTRIBUTES) return;
    bool& ascending = Directions()[std::size_t(column)];
    const bool up = ascending;
    std::stable_sort(records.begin(), records.end(),
                     [column, up](const FileRecord* a, const FileRecord* b) {
                         const int c = CompareBy(column, *a, *b);
                         return up ? c < 0 : c > 0;
                     });
    ascending = !ascending;
}

bool SortAscendingNext(int column) {
    return column >= 0 && column < COL_COUNT && Directions()[std::size_t(column)];
}

void ResetSortDirections() {
    Directions() = {true, true, true, false, false};
}

}  // namespace orv

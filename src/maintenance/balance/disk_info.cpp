#include "maintenance/balance/disk_info.h"

#include "fs/layout.h"
#include "maintenance/balance/group_digits.h"
#include "ports/text_format.h"

namespace orv {

namespace {

constexpr std::int32_t kBytesPerPercent = kDataAreaBytes / 100;  // 14277
constexpr std::int32_t kVisibleAbove = 1000;  // a count above this never shows an empty bar

int BarOf(std::int32_t bytes, bool atLeastOneWhenVisible) {
    int bar = int(bytes / kBytesPerPercent);
    if (atLeastOneWhenVisible && bar < 1 && bytes > kVisibleAbove) bar = 1;
    return bar;
}

}  // namespace

DiskInfo SetInfo(const std::string& label, std::uint32_t stampTime, std::int32_t freeBytes,
                 std::int32_t badBytes, std::int32_t systemBytes, int fileCount) {
    DiskInfo info;
    info.label = label;
    info.badText = GroupDigits(badBytes);
    info.badBytes = badBytes;
    info.systemText = GroupDigits(systemBytes);
    info.freeText = GroupDigits(freeBytes);
    info.freeBytes = freeBytes;
    info.dateText = DateText(stampTime);
    info.usedBytes = kDataAreaBytes - freeBytes - systemBytes - badBytes;
    info.usedText = GroupDigits(info.usedBytes);
    info.filesText = std::to_string(fileCount);
    info.freeBar = BarOf(freeBytes, false);
    info.usedBar = BarOf(info.usedBytes, true);
    info.badBar = BarOf(badBytes, true);
    return info;
}

}  // namespace orv

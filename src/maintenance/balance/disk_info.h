// The byte balance of the diskette information dialog: texts, the used bytes and its three bars.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

inline constexpr char kDiskInfoTitle[] = "Informations - Diskette 3.5 (Halvorn)";

struct DiskInfo {
    std::int32_t usedBytes = 0;  // the units that belong to files
    std::int32_t badBytes = 0;
    std::int32_t freeBytes = 0;
    std::string label;
    std::string filesText;
    std::string badText;
    std::string systemText;
    std::string usedText;
    std::string freeText;
    std::string dateText;
    // Bar positions 0..100.
    int freeBar = 0;
    int usedBar = 0;
    int badBar = 0;
};

DiskInfo SetInfo(const std::string& label, std::uint32_t stampTime, std::int32_t freeBytes,
                 std::int32_t badBytes, std::int32_t systemBytes, int fileCount);


}  // namespace orv

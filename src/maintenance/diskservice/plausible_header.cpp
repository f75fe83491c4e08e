#include "maintenance/diskservice/plausible_header.h"

namespace orv {

namespace {

namespace f = rec::header;
constexpr std::uint32_t kMaxFileSize = 0x7FFFFFFF;
// The attribute bits of a volume label, a directory and a device: no file that was added has
// them, while a data unit that passes for a header holds any byte there.
constexpr std::uint8_t kNoFileAttributes = 0x08 | 0x10 | 0x40;

// Characters up to the first NUL are printable; false when the field is empty and must not be.
bool PrintableField(const std::uint8_t* field, int width, bool mayBeEmpty) {
    int n = 0;
    while (n < width && field[n] != 0) {
        if (field[n] < 0x20 || field[n] == 0x7F) return false;
        ++n;
    }
    return mayBeEmpty || n > 0;
}

}  // namespace

bool IsPlausibleHeader(const std::uint8_t* s) {
    // Byte counts are signed 32-bit numbers throughout: no file here reaches 2 GB.
    return s[f::kPart] == 0 && PrintableField(s + f::kExtension, f::kExtensionWidth, true) &&
           PrintableField(s + f::kName, f::kNameWidth, false) && HeaderSize(s) <= kMaxFileSize &&
           (s[f::kAttributes] & kNoFileAttributes) == 0;
}

std::uint32_t HeaderSize(const std::uint8_t* sector) {
    return GetU32(sector + f::kSize);
}

int UnitLimit(std::uint32_t size) {
    if (size > std::uint32_t(kDataAreaBytes)) return kUnitCount;
    return UnitsForBytes(std::int32_t(size));
}

}  // namespace orv

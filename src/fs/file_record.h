// One listed file: its entry fields as the header unit holds them, then its display texts.
#pragma once

#include <cstdint>
#include <string>

#include "fs/records.h"

namespace orv {

constexpr int kNameWidth = rec::header::kNameWidth;
constexpr int kExtensionWidth = rec::header::kExtensionWidth;

struct FileRecord {
    // Entry fields.
    std::string extension;  // without the dot, up to 3 characters (a part number on further parts)
    std::string name;       // without the extension, up to 49 characters
    std::uint32_t modificationTime = 0;
    std::uint8_t attributes = 0;
    std::uint32_t size = 0;  // the whole file's size, on every part
    std::uint16_t fileNumber = 0;
    std::uint8_t partNumber = 0;

    // Display texts, filled by the document.
    std::string displayName;  // name[.ext], at most 54 characters
    std::string sizeText;
    std::string dateText;
    std::string attributeText;
    std::string numberText;
};

}  // namespace orv

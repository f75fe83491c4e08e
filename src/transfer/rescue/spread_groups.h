// The parts of files spread over several diskettes, found on the images of a box, put back
// together: parts of one file carry the same stored name, the whole file's size and its date,
// and tell their place by their extension (the k-th further part has the extension k).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

struct SpreadPart {
    std::string name;         // the stored name without extension, the same on every part
    std::string displayName;  // as the part is listed
    std::uint32_t size = 0;   // the whole file's size
    std::uint32_t modificationTime = 0;
    int part = 0;               // 0 the first part, k the k-th further one
    std::int32_t capacity = 0;  // the bytes its units hold
    bool intact = false;
    std::size_t image = 0;  // where it was found: the caller's numbering
    std::size_t file = 0;
    std::string path;             // of the image
    std::uint16_t number = 0;     // the file's number there
    std::string extension;        // as stored
    std::uint8_t attributes = 0;  // of the file
    std::string diskette;         // which diskette the image was read from (its ID record)
    std::string sha256;           // of the part's bytes, when intact
};

struct SpreadGroup {
    std::string name;  // the first part's display name; the stored name while it is missing
    std::uint32_t size = 0;
    std::uint32_t modificationTime = 0;
    std::vector<std::size_t> parts;  // every part found (indexes of the input), by part number
    // The copy to collect for each part 0, 1, ... up to the one that reaches the file's end
    // (an intact one where there is one); empty unless every such part was found.
    std::vector<std::size_t> chosen;
    bool complete = false;  // every part found, each with an intact copy
    // Two files of one name, size and date: some part has copies that are not one part (intact
    // ones that differ, or copies from different diskettes). Nothing is chosen then: a file
    // joined from both would match neither.
    bool ambiguous = false;
    std::vector<std::size_t> candidates;  // when ambiguous: one copy of each, part by part
    std::string sha256;  // of the whole file, once collected whole (scan --extract)
};

// The number of the part a listed file is, when it is a part of a spread file (its units hold
// less than its size): a further part's extension is its number, written without leading zeros;
// the first part keeps the file's own extension.
int SpreadPartNumber(const std::string& extension);

// Groups the parts by file (name, size and date), in the order the files were first found.
// Copies of a part are one part when both are intact with the same bytes, or (when one is
// damaged) when they come from the same diskette.
std::vector<SpreadGroup> GroupSpreadParts(const std::vector<SpreadPart>& parts);

}  // namespace orv

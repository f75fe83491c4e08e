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
    std::string sha256;     // of the whole file, once collected whole (scan --extract)
};

// The number of the part a listed file is, when it is a part of a spread file (its units hold
// less than its size): a further part's extension is its number, written without leading zeros;
// the first part keeps the file's own extension.
int SpreadPartNumber(const std::string& extension);

// Groups the parts by file (name, size and date), in the order the files were first found.
std::vector<SpreadGroup> GroupSpreadParts(const std::vector<SpreadPart>& parts);

}  // namespace orv

// The file entry of a hard-disk file, as the header unit will carry it.
#pragma once

#include <string>

#include "fs/file_record.h"

namespace orv {

// Name and extension from the path (split at the last dot), stored as StoredText makes them
// (Windows-1250 where it can be, else UTF-8; the name cut to 49 bytes and the extension to 3,
// never inside a character), the file's size, modification time and attributes, the file
// number given and part 0.
void EntryFromHostFile(const std::string& path, FileRecord& record, int fileNumber);

// Whether the entry carries the read-only attribute (a file that takes no write).
bool ReadOnlyEntry(const FileRecord& record);

// What becomes of a file's name (a single name, no folder) when the file is added: the
// diskette lists it as given, or cuts it (a name over 49 bytes, an extension over 3), or lists
// it otherwise (bytes that are not UTF-8, control characters). A program that must not let a
// name change on the way, such as one that offers the diskette as a folder, refuses the last
// two.
enum class StoredName { AsGiven, Cut, Changed };
StoredName HowNameIsStored(const std::string& fileName);

}  // namespace orv

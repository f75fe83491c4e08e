// The file entry of a hard-disk file, as the header unit will carry it.
#pragma once

#include <string>

#include "fs/file_record.h"

namespace orv {

// Name and extension from the path (split at the last dot; the name cut to 49 bytes and the
// extension to 3, never inside a UTF-8 character), the file's size, modification time and
// attributes, the file number given and part 0.
void EntryFromHostFile(const std::string& path, FileRecord& record, int fileNumber);

}  // namespace orv

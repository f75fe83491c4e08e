// What the program tells the user about the hard disk: the file system that holds a path,
// its free space and the machine's memory.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// The mount point of the file system that holds path (or its nearest existing folder); the
// path itself when it cannot be told.
std::string FileSystemOf(const std::string& path);
// Total physical memory in bytes, or -1.
std::int64_t PhysicalMemoryBytes();

}  // namespace orv

// Side files of an image (its .faults sidecar, a ddrescue mapfile, the record of a rescue run):
// small text files that a user, or another tool, keeps beside it. One of that name may be
// anything, a named pipe that never ends or a link to /dev/zero; only a regular file of at most
// kLargestSideFile bytes is read, so that a strange one is refused rather than waited on for
// ever or read until memory runs out.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

constexpr std::int64_t kLargestSideFile = 1024 * 1024;

enum class SideFile {
    Read,     // text holds the whole file
    Missing,  // there is no file of that name
    Refused,  // it is there but not a regular file, too large or unreadable; error says which
};

SideFile ReadSideFile(const std::string& path, std::string& text, std::string& error);

}  // namespace orv

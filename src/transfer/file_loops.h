// The volume's two data loops: writing a host file onto the diskette and reading a file back.
// Both run on the worker thread and report to the progress display.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/host_file.h"
#include "fs/file_record.h"
#include "fs/volume.h"
#include "ports/progress_port.h"

namespace orv {

// Writes the source from start on into free units: the capacity of the units written (448 for
// the header unit, 507 for each further one), or -1 (no room, table not writable, cancelled).
// The record gets its file number. An empty rest of the source is stored as a header unit
// alone, so that an empty file exists on the diskette and copies back empty.
std::int32_t WriteFileToDiskette(CVolume& volume, HostFile& source, std::int32_t start,
                                 FileRecord& record, IProgressSink* dialog, bool verify);

// Writes up to count bytes of the file's chain to the target: the bytes written by this call,
// or -1. already > 0 resumes behind the units that a first pass delivered; with continuePast,
// unreadable units give 507 bytes of 'X' and their chain positions go to badList.
std::int32_t ReadFileFromDiskette(CVolume& volume, int fileNumber, HostFile& target,
                                  std::int32_t count, std::int32_t already, bool continuePast,
                                  std::vector<std::uint32_t>* badList, IProgressSink* dialog);

}  // namespace orv

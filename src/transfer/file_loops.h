// The volume's two data loops: writing a host file onto the diskette and reading a file back.
// Both run on the worker thread and report to the progress display.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/io_error.h"
#include "fs/chain_reader.h"
#include "fs/file_record.h"
#include "fs/volume.h"
#include "host/host_file.h"
#include "ports/progress_port.h"

namespace orv {

// What a copy gives for each byte of a unit that does not read or is not the file's: 'X'.
constexpr std::uint8_t kCopyFiller = 0x58;

// Why a loop returned -1 or stopped short; all clear when a unit could not be read, the user
// cancelled, or a diskette that was full stopped an add that may go on on another.
struct LoopFailure {
    IoError drive = IoError::None;  // the drive failed as a whole (write-protected, no diskette)
    bool hostFile = false;          // the hard-disk file could not be read or written
    bool sourceChanged = false;     // the source grew or shrank while it was being added
    bool noRoom = false;            // no file number or unit left for what had to be stored
    bool noUnitTookHeader = false;  // every free unit refused the header unit (now marked bad)
};

// Writes the source from start on into free units: the capacity of the units written (448 for
// the header unit, 507 for each further one), or -1 (no room, table not writable, cancelled,
// a failing drive or source). The record gets its file number. Exactly record.size - start
// bytes are stored; a source that turns out longer or shorter fails. An empty rest of the
// source is stored as a header unit alone, so that an empty file exists on the diskette and
// copies back empty. With wholeOnly, a rest that does not fit fails (noRoom) and leaves the
// table as it was but for the units found bad; otherwise what fits is stored and counted.
std::int32_t WriteFileToDiskette(CVolume& volume, HostFile& source, std::int32_t start,
                                 FileRecord& record, IProgressSink* dialog, bool verify,
                                 LoopFailure* failure = nullptr, bool wholeOnly = false);

// Writes up to count bytes of the file's chain to the target: the bytes written by this call,
// or -1 (also when the header unit does not read or is not the file's). already > 0 resumes
// behind the units that a first pass delivered. A unit that does not read, or does not carry
// the tag, stops the first pass; with continuePast it gives 507 bytes of 'X' and its chain
// position goes to badList. A drive that fails as a whole (no diskette) or a target that
// refuses the data stops the loop.
std::int32_t ReadFileFromDiskette(CVolume& volume, const ChainTag& tag, HostFile& target,
                                  std::int32_t count, std::int32_t already, bool continuePast,
                                  std::vector<std::uint32_t>* badList, IProgressSink* dialog,
                                  LoopFailure* failure = nullptr);

}  // namespace orv

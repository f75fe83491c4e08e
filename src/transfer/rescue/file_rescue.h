// One file rescued from several damaged copies of it (on several diskettes, or several images of
// one diskette): every piece of the file is taken from the first image where it reads, so that
// only the pieces that no copy holds any more stay missing. This does in one step what a repair
// file does for two copies, without a list of positions to type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/file_record.h"
#include "ports/progress_port.h"
#include "transfer/bad_sector_report.h"
#include "transfer/rescue/rescue_outcome.h"

namespace orv {

struct FileRescueRequest {
    std::string name;  // the display name, as list shows it
    std::string target;
    std::vector<std::string> images;
    bool restoreAttributes = true;  // the copies' date and attributes on the target
};

struct RescueSource {
    std::string path;
    int pieces = 0;    // chain positions taken from this image
    std::string note;  // why it gave nothing, when it gave nothing
};

struct FileRescueOutcome : RescueResult {
    FileRecord record;                  // the file, as the first image that holds it lists it
    std::uint32_t positions = 0;        // the units of its chain
    std::vector<std::uint32_t> unread;  // chain positions that no image read (filled with 'X')
    std::vector<RescueSource> sources;
};

// Writes request.target (never over an existing file) from the copies of the file in the images.
// Refused, with nothing written, when the copies are not one file (their headers' size and date
// differ), when a copy holds only a part of a file spread over several diskettes, when no image
// holds the file, or when an image is held by another program. Each image is held only while it
// is read. Done also when positions stay unread: the target has filler there.
FileRescueOutcome RescueFile(const FileRescueRequest& request, IProgressRunner& runner);

// The bad-sector report of a rescue: the file, start byte 0 and the positions no image read.
// It points into the outcome, which must outlive it.
BadSectorReport RescueReport(const FileRescueOutcome& outcome);

}  // namespace orv

// Reading the diskette in the drive into an image file, once and carefully: what reads goes to
// its place in the image, what never reads is listed in the image's sidecar (or given as '-' in
// its ddrescue mapfile), so that the image in the drive behaves as the diskette did. A second
// run on the same image (later, or from another drive) reads only what the record still lacks.
#pragma once

#include <string>

#include "disk/drive.h"
#include "ports/progress_port.h"
#include "transfer/rescue/rescue_outcome.h"
#include "transfer/rescue/sector_reader.h"

namespace orv {

constexpr int kDefaultImageRetries = 3;

struct ImagingOutcome : RescueResult {
    bool resumed = false;  // the image existed with its record
    bool written = false;  // the image and its record say what was read (so far)
    int tried = 0;         // sectors this run set out to read
    int readNow = 0;       // of them, read by this run
    SectorSet unreadable;  // what the record lacks now
    std::string record;    // the sidecar or the mapfile
    double seconds = 0.0;
};

// Reads the diskette in drive into outPath. The record of the run is outPath's sidecar, or the
// ddrescue mapfile at mapfile when one is named. A new image is created (never over an existing
// file); an existing one must have its record, and only the sectors that it lacks are read
// (with a mapfile: every sector not '+', and the image may be ddrescue's short output). Each
// sector that fails is tried again alone up to retries times after the whole pass. An
// interrupted or failed run keeps what it read, and the record gives the rest, so that the
// same call goes on from there. The status is Done when the run finished, complete or not.
ImagingOutcome ImageDiskette(CDrive& drive, const std::string& outPath, int retries,
                             IProgressRunner& runner, const std::string& mapfile = {});

}  // namespace orv

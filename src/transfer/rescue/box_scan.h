// The health of a box of diskette images at one glance: every image under a folder, every file
// on each, every unit of every file read; parts of spread files put together across the box;
// and, when asked, every file copied out. Images are read one at a time and never written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/file_record.h"
#include "ports/progress_port.h"
#include "transfer/rescue/image_volume.h"
#include "transfer/rescue/rescue_outcome.h"
#include "transfer/rescue/spread_groups.h"

namespace orv {

enum class FileHealth { Intact, Damaged, HeaderUnreadable };
const char* FileHealthText(FileHealth health);  // "intact", "damaged", "header unreadable"

struct ScannedFile {
    FileRecord record;  // with display texts; only the number when the header is unreadable
    FileHealth health = FileHealth::Intact;
    int part = 0;                      // 0, or k for the k-th further part of a spread file
    std::int32_t capacity = 0;         // the bytes its units hold
    std::vector<std::uint32_t> bad;    // chain positions that do not read
    std::int64_t unreadableBytes = 0;  // the file's bytes in them
    std::string sha256;                // of the bytes it holds (a part's own), when intact
};

struct ScannedImage {
    std::string path;
    ImageState state = ImageState::NotReadable;
    std::string error;  // why an image in use or not readable could not be looked at
    bool hasIds = false;
    std::string label;  // as stored
    std::uint32_t stamp = 0;
    std::vector<ScannedFile> files;
};

struct SkippedFile {
    std::string path;  // a .img file of another size: not an image
    std::uintmax_t size = 0;
};

struct ScanTotals {
    long images = 0;
    long files = 0;
    long intact = 0;
    long damaged = 0;
    long headerUnreadable = 0;
    std::int64_t unreadableBytes = 0;
};

struct ScanRequest {
    std::string folder;
    std::string extractTo;  // empty: nothing is copied out
    bool restoreAttributes = true;
};

struct ScanOutcome : RescueResult {
    std::vector<ScannedImage> images;  // by path
    std::vector<SkippedFile> notImages;
    std::vector<SpreadPart> parts;  // every part of a spread file, as found
    std::vector<SpreadGroup> spread;
    ScanTotals totals;
    // What --extract could not copy out, and why (a file in the way, a full hard disk).
    std::vector<std::string> extractProblems;
};

// Refused when the folder cannot be read; Interrupted when the user stops it. A scan that ran
// is Done whatever the health of the images, even when some files could not be copied out
// (extractProblems says which).
ScanOutcome ScanBox(const ScanRequest& request, IProgressRunner& runner);

}  // namespace orv

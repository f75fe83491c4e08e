// The health of a box of diskette images at one glance: every image under a folder, every file
// on each, every unit of every file read; parts of spread files put together across the box;
// and, when asked, every file copied out (box_extract). Images are never written, each is held
// only while it is read, and several are read at once on a machine with several processors;
// what is found is told image by image, in the order of their paths, as soon as it is known.
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
    std::vector<ScannedFile> files;  // by number
};

// The image's label as text to show.
std::string LabelText(const ScannedImage& image);

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
    // The SHA-256 of every intact file (parts of spread files always get theirs: they tell two
    // sets of one name apart). Only what is shown or copied out needs them.
    bool checksums = true;
    int jobs = 0;  // images read at once; 0: as many as there are processors for this program
};

// What a scan tells as it goes, in this order: each image as soon as it and the images before
// it are judged, then every set of spread parts (collected when extracting), the .img files
// that are no images, and last the totals. Problems of the extraction come as they happen.
// Called on the scan's worker, one call at a time.
class IScanListener {
public:
    virtual ~IScanListener() = default;
    virtual void Image(const ScannedImage& image) = 0;
    virtual void Spread(const SpreadGroup& group, const std::vector<SpreadPart>& parts) = 0;
    virtual void NotImage(const SkippedFile& file) = 0;
    virtual void Totals(const ScanTotals& totals) = 0;
    virtual void Problem(const std::string& text) = 0;
};

// Receives the units the diagnosis reads, file by file, in chain order, as it reads them: the
// extraction writes them out, so that each image is read once.
class IScannedUnits {
public:
    virtual ~IScannedUnits() = default;
    // record is null when the file's header does not read (the file has only its number).
    virtual void BeginFile(const FileRecord* record, int number) = 0;
    // length bytes of the file; piece is null where its unit does not read.
    virtual void Piece(const std::uint8_t* piece, std::int32_t length) = 0;
    // The file as judged; not called when the reading was cancelled.
    virtual void EndFile(const ScannedFile& file) = 0;
};

// The processors this program may run on (its affinity), at least 1.
int AvailableProcessors();

// Refused when the folder (or the extraction folder) cannot be read or made; Interrupted when
// the user stops it. A scan that ran is Done whatever the health of the images, even when
// some files could not be copied out (the listener was told which, and why).
RescueResult StreamScanBox(const ScanRequest& request, IProgressRunner& runner,
                           IScanListener& listener);

// The whole scan at once, for a window that shows it when it is done.
struct ScanOutcome : RescueResult {
    std::vector<ScannedImage> images;  // by path
    std::vector<SkippedFile> notImages;
    std::vector<SpreadPart> parts;  // every part of a spread file, as found
    std::vector<SpreadGroup> spread;
    ScanTotals totals;
    // What --extract could not copy out, and why (a file in the way, a full hard disk).
    std::vector<std::string> extractProblems;
};
ScanOutcome ScanBox(const ScanRequest& request, IProgressRunner& runner);

}  // namespace orv

// The one file that imaging and merging write: an image of 1 474 560 bytes with its record of
// the sectors that could not be read, so that the image in the drive fails where the diskette
// failed. The record is the .faults sidecar, or (UseMapfile) a ddrescue mapfile, which ddrescue
// can go on from. An existing file is never overwritten; a partial image (one with its record)
// may be filled in.
#pragma once

#include <functional>
#include <string>

#include "disk/fault_map.h"
#include "disk/file_lock.h"
#include "host/unique_fd.h"
#include "transfer/rescue/sector_reader.h"

namespace orv {

// The sidecar beside an image that lists its sectors never read, which an image made without a
// mapfile (and every merge) keeps: the front ends name it in their summaries.
std::string UnreadListPath(const std::string& imagePath);

class OutputImage {
public:
    OutputImage() = default;
    OutputImage(const OutputImage&) = delete;
    OutputImage& operator=(const OutputImage&) = delete;
    ~OutputImage();

    // The record is the ddrescue mapfile at this path instead of the sidecar (before Create or
    // OpenPartial).
    void UseMapfile(const std::string& mapfile) { m_mapfile = mapfile; }
    // Creates the image, all zero bytes, with its room on the hard disk taken at once, and holds
    // it for this program; its record, which comes first, says that every sector is still to
    // be read (comment goes first in it). Refused when a file (or a sidecar, or the mapfile)
    // of that name exists, unless it is a record that lacks every sector.
    bool Create(const std::string& path, std::string& error, const std::string& comment = {});
    // Opens an image that an earlier read left partial, with its record, and holds it; faults
    // gives the sectors that it still lacks as unreadable. Refused when the file has no record
    // (then it is no partial image of ours and stays as it is), is not an image, or another
    // program holds it. With a mapfile the image may be shorter than a diskette (ddrescue's
    // output): what lies past its end is still lacking.
    bool OpenPartial(const std::string& path, FaultMap& faults, std::string& error);

    // Reads the whole image (kImageSize bytes) as it lies on the hard disk; zeros past the end
    // of a short one.
    bool ReadAll(std::uint8_t* image, std::string& error);
    // Writes the sectors of image (kImageSize bytes) that `which` names, each at its place,
    // and makes them durable; a short image becomes a whole one.
    bool WriteSectors(const std::uint8_t* image, const SectorSet& which, std::string& error);
    // Replaces the record as a whole (never half written). comment goes first, as '#' lines.
    // A sidecar lists the sectors whose reads the map refuses and is removed when the map is
    // empty; a mapfile gives them as '-' (as '?' when not tried yet) and the rest as '+'.
    bool WriteRecord(const FaultMap& faults, const std::string& comment, std::string& error,
                     bool tried = true);
    // Removes what Create made: the image and its record. Nothing for a partial image.
    void Discard();
    const std::string& Path() const { return m_path; }
    // The sidecar or the mapfile.
    std::string RecordPath() const;
    bool Created() const { return m_bCreated; }

private:
    bool Hold(std::string& error);
    bool LacksEverySector(const std::string& record) const;
    bool TakeRoom(std::string& error);  // holds the image and takes its room on the hard disk
    // Create's failure with why; takes back what it made (the record too, unless cause is
    // EEXIST: then the image is another program's).
    bool Unmade(const std::string& why, int cause, std::string& error);
    std::string m_path;
    std::string m_mapfile;  // empty: the record is the sidecar
    UniqueFd m_fd;
    FileLock m_lock;
    bool m_bCreated = false;
    bool m_bMayBeShort = false;  // a partial image shorter than a diskette is taken
};

// Tests of a run killed at each step: hook is called after every step that changes the hard
// disk (an empty one: none).
void SetOutputImageCutHook(std::function<void()> hook);

// Every sector whose reads the map refuses: the sectors a partial image still lacks.
SectorSet UnreadableSectors(const FaultMap& faults);

}  // namespace orv

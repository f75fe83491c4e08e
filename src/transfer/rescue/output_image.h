// The one file that imaging and merging write: an image of 1 474 560 bytes with its .faults
// sidecar, which lists the sectors that could not be read, so that the image in the drive
// fails where the diskette failed. An existing file is never overwritten; a partial image (one
// with a sidecar) may be filled in.
#pragma once

#include <string>

#include "disk/fault_map.h"
#include "disk/file_lock.h"
#include "host/unique_fd.h"
#include "transfer/rescue/sector_reader.h"

namespace orv {

class OutputImage {
public:
    OutputImage() = default;
    OutputImage(const OutputImage&) = delete;
    OutputImage& operator=(const OutputImage&) = delete;
    ~OutputImage();

    // Creates the image, all zero bytes, with its room on the hard disk taken at once, and holds
    // it for this program. Refused when a file (or a sidecar) of that name exists.
    bool Create(const std::string& path, std::string& error);
    // Opens an image that an earlier read left partial, with its sidecar, and holds it.
    // Refused when the file has no sidecar (then it is no partial image of ours and stays as
    // it is), is not an image, or another program holds it.
    bool OpenPartial(const std::string& path, FaultMap& faults, std::string& error);

    // Reads the whole image (kImageSize bytes) as it lies on the hard disk.
    bool ReadAll(std::uint8_t* image, std::string& error);
    // Writes the sectors of image (kImageSize bytes) that `which` names, each at its place,
    // and makes them durable.
    bool WriteSectors(const std::uint8_t* image, const SectorSet& which, std::string& error);
    // Replaces the sidecar as a whole (never half written), or removes it when the map is
    // empty. comment goes first, as '#' lines.
    bool WriteSidecar(const FaultMap& faults, const std::string& comment, std::string& error);
    // Removes what Create made: the image and its sidecar. Nothing for a partial image.
    void Discard();
    const std::string& Path() const { return m_path; }
    bool Created() const { return m_bCreated; }

private:
    bool Hold(std::string& error);
    std::string m_path;
    UniqueFd m_fd;
    FileLock m_lock;
    bool m_bCreated = false;
};

// Every sector whose reads the map refuses: the sectors a partial image still lacks.
SectorSet UnreadableSectors(const FaultMap& faults);

}  // namespace orv

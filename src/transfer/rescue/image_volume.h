// An image opened for reading only, as far as its system area allows: the state of the diskette
// it holds (the words the scan reports) and the files of its table.
#pragma once

#include <string>
#include <vector>

#include "fs/diskette_open.h"
#include "fs/file_record.h"
#include "fs/volume.h"
#include "transfer/rescue/image_source.h"

namespace orv {

enum class ImageState {
    Ok,
    CopiesDiffer,       // the two table copies differ; files as their own units confirm them
    NoIdSectors,        // sector 0 has the signature, but no ID sector reads
    NotFormatted,       // no signature in sector 0 (the files are listed when ID sectors read)
    Sector0Unreadable,  // nothing can be found without it
    TableUnreadable,    // some table sector reads in neither copy
    InUse,              // another program holds the image
    NotReadable,        // the file cannot be loaded (a malformed sidecar, a host error)
};
const char* ImageStateText(ImageState state);
// The words for how the diskette's open ended (signature: sector 0 carries it).
ImageState ImageStateOf(OpenEnd end, bool signature);

class ImageVolume {
public:
    ImageVolume() = default;
    ImageVolume(const ImageVolume&) = delete;
    ImageVolume& operator=(const ImageVolume&) = delete;

    // Takes the image and reads sector 0, the ID sectors and the table. True when its files
    // can be listed (Files() and Headerless() are filled then, with display texts).
    bool Open(const std::string& path);
    ImageState State() const { return m_state; }
    const std::string& Error() const { return m_error; }  // for InUse and NotReadable
    bool HasIds() const { return m_bIds; }
    CVolume& Volume() { return m_volume; }
    const std::vector<FileRecord>& Files() const { return m_files; }
    // Numbers of the files that the table names but whose header unit does not read.
    const std::vector<int>& Headerless() const { return m_headerless; }
    // Lets go of the image (what was read stays).
    void Release() { m_source.Release(); }

private:
    ImageSource m_source;
    CVolume m_volume{&m_source.Drive()};
    ImageState m_state = ImageState::NotReadable;
    std::string m_error;
    bool m_bIds = false;
    std::vector<FileRecord> m_files;
    std::vector<int> m_headerless;
};

// The file of a listed image that a name given by the user means: an exact display name wins,
// else the one name that differs only in case. Null when none or several match; matches says
// how many did.
const FileRecord* FindListedFile(const std::vector<FileRecord>& files, const std::string& name,
                                 std::size_t& matches);

}  // namespace orv

// Copying the files of a scanned box out to the hard disk: each image's files into a folder of
// its own, the filler where a piece does not read and the bad-sector report beside a damaged
// file. Names from the diskettes become single names inside the folder, and nothing that is on
// the hard disk already is overwritten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_file.h"

namespace orv {

// Every folder of an extraction lists the files it holds whole, with their SHA-256, in a file of
// this name; no extracted file or folder takes it.
inline constexpr char kChecksumFileName[] = "SHA256SUMS";

// The folder for each image under the extraction folder: the image's file name without ".img",
// made unique among the images of one scan ("disk", "disk-2", ...).
std::vector<std::string> ImageFolderNames(const std::vector<std::string>& imagePaths);

// The host name for a file of a diskette within its folder: the display name, made a single
// name, and told apart from names taken before in the same folder by its number.
std::string ExtractedName(const std::string& displayName, int fileNumber,
                          std::vector<std::string>& taken);

// One file written piece by piece.
class FileExtractor {
public:
    FileExtractor() = default;
    FileExtractor(const FileExtractor&) = delete;
    FileExtractor& operator=(const FileExtractor&) = delete;
    ~FileExtractor() { Abandon(); }

    // Creates the file; refused when anything is there.
    bool Open(const std::string& path, std::string& error);
    // Appends length bytes of piece, or of filler when piece is null.
    bool Write(const std::uint8_t* piece, std::int32_t length, std::string& error);
    // Closes the file and, with restore, gives it the diskette file's date and attributes.
    bool Finish(std::uint32_t time, std::uint8_t attributes, bool restore, std::string& error);
    // Removes a file that was not finished: a part would pass for the whole.
    void Abandon();
    bool IsOpen() const { return m_file.IsOpen(); }
    const std::string& Path() const { return m_path; }

private:
    HostFile m_file;
    std::string m_path;
};

// Writes a new text file (the bad-sector report beside an extracted file); never over another.
bool WriteNewTextFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace orv

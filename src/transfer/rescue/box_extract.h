// Copying the files of a scanned box out to the hard disk: each image's files into a folder of
// its own, the filler where a piece does not read and the bad-sector report beside a damaged
// file. Names from the diskettes become single names inside the folder, and nothing that is on
// the hard disk already is overwritten.
//
// Everything below the extraction folder is made from the folder's descriptor and never through
// a link, so that no link there (nor one in the scanned folder, when it is also the output) can
// lead a write outside. Each image's folder is written under a partial name beside its final
// one, synced, and only then given its name; so is every file at the top. An interrupted
// extraction thus leaves no half folder under a final name, and a run after it skips what is
// there and ends with the folder one uninterrupted run makes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/unique_fd.h"
#include "transfer/rescue/box_scan.h"
#include "transfer/rescue/sha256.h"

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

// The name something is written under until it is complete: hidden, beside its final name, and
// none of the names taken there. What stands under such a name is an unfinished piece of an
// earlier run, removed before it is written again.
std::string PartialName(const std::string& name, const std::vector<std::string>& taken);

// The extraction folder, held open.
class ExtractionFolder {
public:
    // Makes the folder (and its parents) when it is missing; refused when it cannot be made or
    // something else stands there.
    bool Open(const std::string& path, std::string& error);
    int Fd() const { return m_fd.Get(); }
    const std::string& Path() const { return m_path; }
    std::string Shown(const std::string& name) const { return m_path + "/" + name; }

private:
    UniqueFd m_fd;
    std::string m_path;
};

// Set by the first write the hard disk refuses: a disk that refuses one refuses the rest, so no
// more is tried.
using ExtractionStop = std::atomic<bool>;

// One image's files, written as the scan reads them.
class ImageExtraction final : public IScannedUnits {
public:
    ImageExtraction(const ExtractionFolder& out, std::string name, std::string partial,
                    bool restore, ExtractionStop& stop)
        : m_out(out),
          m_name(std::move(name)),
          m_partial(std::move(partial)),
          m_bRestore(restore),
          m_stop(stop) {}
    ImageExtraction(const ImageExtraction&) = delete;
    ImageExtraction& operator=(const ImageExtraction&) = delete;
    ~ImageExtraction() override { Abandon(); }

    // Makes the partial folder. False when nothing is to be written: the folder is there from
    // an earlier run (Done() then), writing stopped, or it cannot be made (Problems() says).
    bool Begin();
    bool Done() const { return m_bDone; }

    void BeginFile(const FileRecord* record, int number) override;
    void Piece(const std::uint8_t* piece, std::int32_t length) override;
    void EndFile(const ScannedFile& file) override;

    // Writes the folder's checksums, syncs it and gives it its name.
    void Finish();
    // Removes what was written: the image was not read to its end.
    void Abandon();
    const std::vector<std::string>& Problems() const { return m_problems; }

private:
    void Fail(const std::string& problem);  // a write refused: this and every later one stop
    std::string Shown(const std::string& name) const { return m_out.Shown(m_name + "/" + name); }

    const ExtractionFolder& m_out;
    std::string m_name, m_partial;
    bool m_bRestore;
    ExtractionStop& m_stop;
    UniqueFd m_folder;  // the partial folder while it is written
    bool m_bDone = false;
    std::vector<std::string> m_taken{kChecksumFileName};
    std::string m_sums;
    std::vector<std::string> m_problems;
    // The file being written.
    UniqueFd m_file;
    std::string m_fileName;
    std::vector<std::uint8_t> m_buffer;
};

// A file spread over several diskettes, joined part by part at the top of the extraction folder.
class SpreadExtraction final : public IScannedUnits {
public:
    // A file already there under name (from an earlier run) is left as it is: its parts are
    // read again only for its checksum. taken: every name at the top.
    SpreadExtraction(const ExtractionFolder& out, std::string name,
                     const std::vector<std::string>& taken, ExtractionStop& stop);
    SpreadExtraction(const SpreadExtraction&) = delete;
    SpreadExtraction& operator=(const SpreadExtraction&) = delete;
    ~SpreadExtraction() override;

    // False with a problem when the file cannot be made.
    bool Begin(std::string& problem);
    void BeginFile(const FileRecord*, int) override {}
    void Piece(const std::uint8_t* piece, std::int32_t length) override;
    void EndFile(const ScannedFile&) override {}
    // The report of the part just read, when some of its units did not read.
    void EndPart(const std::string& name, std::int64_t startByte,
                 const std::vector<std::uint32_t>& bad);
    // Gives the file its date and name; sha256 is its digest, empty unless it is whole.
    bool Finish(std::uint32_t time, std::uint8_t attributes, bool restore, std::string& sha256,
                std::string& problem);
    bool WriteFailed() const { return m_bWriteFailed; }
    const std::string& Error() const { return m_error; }

private:
    void Fail(const std::string& problem);

    const ExtractionFolder& m_out;
    std::string m_name, m_partial, m_reportPartial;
    ExtractionStop& m_stop;
    bool m_bThere = false;  // written by an earlier run
    bool m_bWriteFailed = false;
    UniqueFd m_file;
    std::vector<std::uint8_t> m_buffer;
    std::string m_reports;
    std::string m_error;
    Sha256 m_hash;
};

// Writes the checksum file of the top of the extraction folder (written last, as the other
// files there are complete); an identical one from an earlier run is left as it is.
bool WriteTopChecksums(const ExtractionFolder& out, const std::string& sums,
                       const std::vector<std::string>& taken, std::string& problem);

}  // namespace orv

#include "transfer/rescue/box_scan.h"

#include <algorithm>
#include <filesystem>

#include "disk/ddrescue_map.h"
#include "disk/imd_file.h"
#include "fs/chain_piece.h"
#include "fs/chain_reader.h"
#include "fs/layout.h"
#include "transfer/bad_sector_report.h"
#include "transfer/rescue/box_extract.h"
#include "transfer/rescue/sha256.h"

namespace orv {

namespace fs = std::filesystem;

const char* FileHealthText(FileHealth health) {
    switch (health) {
        case FileHealth::Intact:
            return "intact";
        case FileHealth::Damaged:
            return "damaged";
        case FileHealth::HeaderUnreadable:
            return "header unreadable";
    }
    return "damaged";
}

namespace {

bool IsImgName(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".img";
}

// An image: a file of 1 474 560 bytes, an ImageDisk file, or a shorter one (ddrescue leaves its
// output short when the last sectors fail) that a mapfile beside it describes and that holds every
// sector the mapfile gives as read. A mapfile or a sidecar is never one.
bool IsCandidateImage(const fs::path& path, std::uintmax_t size) {
    if (size == std::uintmax_t(kImageSize) || IsImdFile(path.string())) return true;
    if (size > std::uintmax_t(kImageSize) || path.extension() == ".map" ||
        path.extension() == ".faults")
        return false;
    const std::string mapfile = FindMapfile(path.string());
    if (mapfile.empty()) return false;
    DdrescueMap map;
    std::string error;
    if (!ReadMapfile(mapfile, map, error)) return true;  // the scan tells why it does not open
    int last = kSectorCount - 1;
    while (last >= 0 && !map.readable.test(std::size_t(last))) --last;
    return std::uintmax_t(last + 1) * kSectorSize <= size;
}

// Every image under the folder (by path), and the .img files that are none. False when the
// folder cannot be read.
bool FindImages(const std::string& folder, std::vector<std::string>& images,
                std::vector<SkippedFile>& skipped, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = folder + ": " + (ec ? ec.message() : std::string("not a folder"));
        return false;
    }
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        error = folder + ": " + ec.message();
        return false;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) break;  // what was found so far is scanned
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        const std::uintmax_t size = it->file_size(fileEc);
        if (fileEc) continue;
        if (IsCandidateImage(it->path(), size))
            images.push_back(it->path().string());
        else if (IsImgName(it->path()))
            skipped.push_back({it->path().string(), size});
    }
    std::sort(images.begin(), images.end());
    std::sort(skipped.begin(), skipped.end(),
              [](const SkippedFile& a, const SkippedFile& b) { return a.path < b.path; });
    return true;
}

// Where the files of one image are copied out to, the names taken there, and the checksum
// lines of the files extracted whole.
struct Extraction {
    std::string folder;  // empty: nothing is copied out of this image
    std::vector<std::string> taken{kChecksumFileName};
    std::string sums;
};

class BoxScanner {
public:
    BoxScanner(const ScanRequest& request, ScanOutcome& out, IProgressSink& sink)
        : m_request(request), m_out(out), m_sink(sink) {}

    void Scan(const std::vector<std::string>& paths);
    void Group();
    void CollectSpreadFiles();

private:
    bool Cancelled();
    void ScanImage(const std::string& path, Extraction& extraction);
    ScannedFile ScanFile(CVolume& volume, const FileRecord* record, int number,
                         Extraction& extraction);
    void CollectSpreadFile(SpreadGroup& group);
    // SHA256SUMS of a folder, when it holds a file extracted whole.
    void WriteChecksums(const std::string& folder, const std::string& sums) {
        std::string error;
        if (!folder.empty() && !sums.empty() && !m_bStopExtracting &&
            !WriteNewTextFile(folder + "/" + kChecksumFileName, sums, error))
            m_out.extractProblems.push_back(error);
    }
    // A file could not be written: a disk that refuses one refuses the rest, so no more is
    // tried.
    void WriteFailed(const std::string& error) {
        m_out.extractProblems.push_back(error);
        m_bStopExtracting = true;
    }

    const ScanRequest& m_request;
    ScanOutcome& m_out;
    IProgressSink& m_sink;
    bool m_bStopExtracting = false;
    std::vector<std::string> m_topNames{
        kChecksumFileName};  // taken in the extraction folder itself
    std::string m_topSums;   // checksum lines of the spread files collected whole there
};

bool BoxScanner::Cancelled() {
    if (!m_sink.CancelRequested()) return false;
    m_out.Set(RescueStatus::Interrupted, "Scan interrupted.");
    return true;
}

ScannedFile BoxScanner::ScanFile(CVolume& volume, const FileRecord* record, int number,
                                 Extraction& extraction) {
    ScannedFile file;
    if (record) file.record = *record;
    file.record.fileNumber = std::uint16_t(number);
    file.capacity = volume.ChainCapacity(number);
    // What this diskette holds of the file: all of it, or, for a part of a spread file, what
    // its units hold (the last part's true end is known only from the parts before it).
    const std::int64_t partBytes =
        record ? std::min<std::int64_t>(file.capacity, record->size) : file.capacity;
    if (record && file.capacity < std::int64_t(record->size))
        file.part = SpreadPartNumber(record->extension);

    // A file without its header has no name to be copied out under.
    FileExtractor writer;
    std::string error;
    if (record && !extraction.folder.empty() && !m_bStopExtracting) {
        const std::string name = ExtractedName(record->displayName, number, extraction.taken);
        if (!writer.Open(extraction.folder + "/" + name, error))
            m_out.extractProblems.push_back(error);
    }
    std::uint32_t next = 0;
    bool stopped = false;
    Sha256 hash;
    const ChainTag tag = record ? ChainTag::Of(*record) : ChainTag::NumberOnly(number);
    ReadChain(volume, tag, [&](std::uint32_t p, const std::uint8_t* piece, UnitRead) {
        next = p + 1;
        const std::int32_t length = ChainPieceLength(partBytes, p);
        if (!piece) {
            file.bad.push_back(p);
            file.unreadableBytes += length;
        } else {
            hash.Update(piece, std::size_t(length));
        }
        if (writer.IsOpen() && !writer.Write(piece, length, error)) {
            writer.Abandon();
            WriteFailed(error);
        }
        stopped = Cancelled();
        return !stopped;
    });
    if (stopped) return file;
    // Units never reached (the image failed as a whole) are as good as unreadable.
    const auto units = std::uint32_t(std::max(0, UnitsForBytes(std::max(file.capacity, 0))));
    for (std::uint32_t p = next; file.capacity > 0 && p < units; ++p) {
        file.bad.push_back(p);
        file.unreadableBytes += ChainPieceLength(partBytes, p);
    }
    file.health = !record            ? FileHealth::HeaderUnreadable
                  : file.bad.empty() ? FileHealth::Intact
                                     : FileHealth::Damaged;
    if (file.health == FileHealth::Intact) file.sha256 = hash.HexDigest();
    if (!writer.IsOpen()) return file;
    const std::string path = writer.Path();
    if (!writer.Finish(record->modificationTime, record->attributes, m_request.restoreAttributes,
                       error)) {
        WriteFailed(error);
        return file;
    }
    if (!file.sha256.empty())
        extraction.sums += Sha256SumsLine(file.sha256, extraction.taken.back());
    if (!file.bad.empty()) {
        BadSectorReport report;
        report.name = record->displayName;
        report.badList = &file.bad;
        if (!WriteNewTextFile(path + ".report", ReportFileText(report), error))
            m_out.extractProblems.push_back(error);
    }
    return file;
}

void BoxScanner::ScanImage(const std::string& path, Extraction& extraction) {
    ScannedImage& image = m_out.images.emplace_back();
    image.path = path;
    // The image is held from here to the end of this function, and not a moment longer.
    ImageVolume volume;
    const bool listed = volume.Open(path);
    image.state = volume.State();
    image.error = volume.Error();
    image.hasIds = volume.HasIds();
    if (image.hasIds) {
        image.label = volume.Volume().Ids().label;
        image.stamp = volume.Volume().Ids().stampTime;
    }
    if (!listed) return;
    if (!extraction.folder.empty() && !m_bStopExtracting) {
        std::error_code ec;
        fs::create_directories(extraction.folder, ec);
        if (ec) {
            WriteFailed(extraction.folder + ": " + ec.message());
            extraction.folder.clear();
        }
    }
    for (const FileRecord& record : volume.Files()) {
        if (Cancelled()) return;
        image.files.push_back(ScanFile(volume.Volume(), &record, record.fileNumber, extraction));
    }
    for (int number : volume.Headerless()) {
        if (Cancelled()) return;
        image.files.push_back(ScanFile(volume.Volume(), nullptr, number, extraction));
    }
    WriteChecksums(extraction.folder, extraction.sums);
    std::sort(image.files.begin(), image.files.end(),
              [](const ScannedFile& a, const ScannedFile& b) {
                  return a.record.fileNumber < b.record.fileNumber;
              });
}

void BoxScanner::Scan(const std::vector<std::string>& paths) {
    const std::vector<std::string> folders = ImageFolderNames(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (Cancelled()) return;
        m_sink.SetPercent(int(i * 100 / paths.size()));
        m_sink.ShowCounts(long(i), long(paths.size()));
        Extraction extraction;
        if (!m_request.extractTo.empty()) {
            extraction.folder = m_request.extractTo + "/" + folders[i];
            m_topNames.push_back(folders[i]);
        }
        ScanImage(paths[i], extraction);
    }
    m_sink.SetPercent(100);
    m_sink.ShowCounts(long(paths.size()), long(paths.size()));
}

void BoxScanner::Group() {
    ScanTotals& t = m_out.totals;
    t.images = long(m_out.images.size());
    for (std::size_t i = 0; i < m_out.images.size(); ++i) {
        const ScannedImage& image = m_out.images[i];
        for (std::size_t j = 0; j < image.files.size(); ++j) {
            const ScannedFile& f = image.files[j];
            ++t.files;
            t.unreadableBytes += f.unreadableBytes;
            switch (f.health) {
                case FileHealth::Intact:
                    ++t.intact;
                    break;
                case FileHealth::Damaged:
                    ++t.damaged;
                    break;
                case FileHealth::HeaderUnreadable:
                    ++t.headerUnreadable;
                    continue;
            }
            if (f.capacity >= std::int64_t(f.record.size)) continue;
            m_out.parts.push_back({f.record.name, f.record.displayName, f.record.size,
                                   f.record.modificationTime, f.part, f.capacity,
                                   f.health == FileHealth::Intact, i, j});
        }
    }
    m_out.spread = GroupSpreadParts(m_out.parts);
}

void BoxScanner::CollectSpreadFile(SpreadGroup& group) {
    const SpreadPart& first = m_out.parts[group.chosen.front()];
    const FileRecord& head = m_out.images[first.image].files[first.file].record;
    FileExtractor writer;
    std::string error;
    const std::string name = ExtractedName(group.name, head.fileNumber, m_topNames);
    const std::string target = m_request.extractTo + "/" + name;
    Sha256 hash;
    if (!writer.Open(target, error)) {
        m_out.extractProblems.push_back(error);
        return;
    }
    std::string reports;
    std::int64_t at = 0;
    for (std::size_t index : group.chosen) {
        const SpreadPart& part = m_out.parts[index];
        const ScannedImage& image = m_out.images[part.image];
        const FileRecord& seen = image.files[part.file].record;
        ImageVolume volume;
        const FileRecord* now = nullptr;
        if (volume.Open(image.path))
            for (const FileRecord& r : volume.Files())
                if (r.fileNumber == seen.fileNumber) now = &r;
        // The image may have changed since it was scanned: only the part seen is taken.
        if (!now || now->name != seen.name || now->extension != seen.extension ||
            now->size != seen.size || now->modificationTime != seen.modificationTime ||
            volume.Volume().ChainCapacity(seen.fileNumber) != part.capacity) {
            m_out.extractProblems.push_back(target + ": " + seen.displayName + " on " + image.path +
                                            " cannot be read again as scanned");
            return;
        }
        const std::int64_t partBytes = std::min<std::int64_t>(part.capacity, group.size - at);
        std::vector<std::uint32_t> bad;
        bool failed = false;
        const int n = ReadChain(volume.Volume(), ChainTag::Of(*now),
                                [&](std::uint32_t p, const std::uint8_t* piece, UnitRead) {
                                    const std::int32_t length = ChainPieceLength(partBytes, p);
                                    if (!piece)
                                        bad.push_back(p);
                                    else
                                        hash.Update(piece, std::size_t(length));
                                    failed = !writer.Write(piece, length, error);
                                    return !failed && !Cancelled();
                                });
        if (failed) return WriteFailed(error);
        if (n < 0) {
            if (m_out.Ok())
                m_out.extractProblems.push_back(target + ": " + image.path + ": " +
                                                IoErrorText(volume.Volume().LastError()));
            return;
        }
        if (!bad.empty()) {
            // One report for each part with bad units, each with its own start byte, as a
            // copy reports them.
            BadSectorReport report;
            report.name = group.name;
            report.startByte = std::int32_t(at);
            report.badList = &bad;
            reports += ReportFileText(report);
        }
        at += partBytes;
    }
    if (!writer.Finish(head.modificationTime, head.attributes, m_request.restoreAttributes, error))
        return WriteFailed(error);
    if (reports.empty()) {
        group.sha256 = hash.HexDigest();
        m_topSums += Sha256SumsLine(group.sha256, name);
    } else if (!WriteNewTextFile(target + ".report", reports, error)) {
        m_out.extractProblems.push_back(error);
    }
}

void BoxScanner::CollectSpreadFiles() {
    if (m_request.extractTo.empty()) return;
    for (SpreadGroup& group : m_out.spread) {
        if (m_bStopExtracting || !m_out.Ok()) break;
        if (!group.chosen.empty()) CollectSpreadFile(group);
    }
    WriteChecksums(m_request.extractTo, m_topSums);
}

}  // namespace

ScanOutcome ScanBox(const ScanRequest& request, IProgressRunner& runner) {
    ScanOutcome out;
    std::vector<std::string> paths;
    std::string error;
    if (!FindImages(request.folder, paths, out.notImages, error)) {
        out.Set(RescueStatus::Refused, "Cannot read the folder " + error);
        return out;
    }
    if (!request.extractTo.empty()) {
        std::error_code ec;
        fs::create_directories(request.extractTo, ec);
        if (ec || !fs::is_directory(request.extractTo, ec)) {
            out.Set(RescueStatus::Refused,
                    "Cannot make the folder " + request.extractTo + ": " +
                        (ec ? ec.message() : std::string("a file is in the way")));
            return out;
        }
    }
    runner.RunProgress(RescueProgress("Scanning diskette images, please wait...", request.folder,
                                      "%ld of %ld images scanned."),
                       [&](IProgressSink& sink) {
                           BoxScanner scanner(request, out, sink);
                           scanner.Scan(paths);
                           if (!out.Ok()) return;
                           scanner.Group();
                           scanner.CollectSpreadFiles();
                       });
    return out;
}

}  // namespace orv

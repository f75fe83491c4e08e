#include "transfer/rescue/box_scan.h"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "disk/ddrescue_map.h"
#include "disk/imd_file.h"
#include "fs/chain_piece.h"
#include "fs/chain_reader.h"
#include "fs/layout.h"
#include "fs/name_text.h"
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

// Every image under the folder (by path, with its size), and the .img files that are none.
// False when the folder cannot be read.
bool FindImages(const std::string& folder, std::vector<std::string>& images,
                std::vector<std::int64_t>& sizes, std::vector<SkippedFile>& skipped,
                std::string& error) {
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
    std::vector<SkippedFile> found;
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) break;  // what was found so far is scanned
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        const std::uintmax_t size = it->file_size(fileEc);
        if (fileEc) continue;
        if (IsCandidateImage(it->path(), size))
            found.push_back({it->path().string(), size});
        else if (IsImgName(it->path()))
            skipped.push_back({it->path().string(), size});
    }
    const auto byPath = [](const SkippedFile& a, const SkippedFile& b) { return a.path < b.path; };
    std::sort(found.begin(), found.end(), byPath);
    std::sort(skipped.begin(), skipped.end(), byPath);
    for (SkippedFile& image : found) {
        images.push_back(std::move(image.path));
        sizes.push_back(std::int64_t(image.size));
    }
    return true;
}

// Takes the image and what its system area tells. True when its files can be listed.
bool OpenImage(ImageVolume& volume, const std::string& path, ScannedImage& image) {
    image.path = path;
    const bool listed = volume.Open(path);
    image.state = volume.State();
    image.error = volume.Error();
    image.hasIds = volume.HasIds();
    if (image.hasIds) {
        image.label = volume.Volume().Ids().label;
        image.stamp = volume.Volume().Ids().stampTime;
    }
    return listed;
}

// Reads every unit of one file, judges it, and hands what it read on. False when cancelled.
bool JudgeFile(CVolume& volume, const FileRecord* record, int number, bool checksums,
               IScannedUnits* units, const IProgressSink& sink, ScannedFile& file) {
    if (record) file.record = *record;
    file.record.fileNumber = std::uint16_t(number);
    file.capacity = volume.ChainCapacity(number);
    // What this diskette holds of the file: all of it, or, for a part of a spread file, what
    // its units hold (the last part's true end is known only from the parts before it).
    const std::int64_t partBytes =
        record ? std::min<std::int64_t>(file.capacity, record->size) : file.capacity;
    const bool part = record && file.capacity < std::int64_t(record->size);
    if (part) file.part = SpreadPartNumber(record->extension);
    // Parts always get their digest: it tells two sets of one name apart.
    const bool hashed = record && (checksums || part);
    if (units) units->BeginFile(record, number);
    std::uint32_t next = 0;
    bool stopped = false;
    // Setting a hash up costs more than reading a small file: only where a digest is wanted.
    std::optional<Sha256> hash;
    if (hashed) hash.emplace();
    const ChainTag tag = record ? ChainTag::Of(*record) : ChainTag::NumberOnly(number);
    // Where the image fails as a whole, the units not reached are counted below.
    (void)ReadChain(volume, tag, [&](std::uint32_t p, const std::uint8_t* piece, UnitRead) {
        next = p + 1;
        const std::int32_t length = ChainPieceLength(partBytes, p);
        if (!piece) {
            file.bad.push_back(p);
            file.unreadableBytes += length;
        } else if (hash) {
            hash->Update(piece, std::size_t(length));
        }
        if (units) units->Piece(piece, length);
        stopped = sink.CancelRequested();
        return !stopped;
    });
    if (stopped) return false;
    // Units never reached (the image failed as a whole) are as good as unreadable.
    const auto count = std::uint32_t(std::max(0, UnitsForBytes(std::max(file.capacity, 0))));
    for (std::uint32_t p = next; file.capacity > 0 && p < count; ++p) {
        file.bad.push_back(p);
        file.unreadableBytes += ChainPieceLength(partBytes, p);
    }
    file.health = !record            ? FileHealth::HeaderUnreadable
                  : file.bad.empty() ? FileHealth::Intact
                                     : FileHealth::Damaged;
    if (file.health == FileHealth::Intact && hash) file.sha256 = hash->HexDigest();
    if (units) units->EndFile(file);
    return true;
}

// Every file of a listed image, by number. False when cancelled.
bool JudgeFiles(ImageVolume& volume, bool checksums, IScannedUnits* units,
                const IProgressSink& sink, ScannedImage& image) {
    for (const FileRecord& record : volume.Files()) {
        if (sink.CancelRequested()) return false;
        if (!JudgeFile(volume.Volume(), &record, record.fileNumber, checksums, units, sink,
                       image.files.emplace_back()))
            return false;
    }
    for (int number : volume.Headerless()) {
        if (sink.CancelRequested()) return false;
        if (!JudgeFile(volume.Volume(), nullptr, number, checksums, units, sink,
                       image.files.emplace_back()))
            return false;
    }
    std::sort(image.files.begin(), image.files.end(),
              [](const ScannedFile& a, const ScannedFile& b) {
                  return a.record.fileNumber < b.record.fileNumber;
              });
    return true;
}

// One image judged (and extracted), waiting for its turn to be told.
struct JudgedImage {
    ScannedImage image;
    std::vector<std::string> problems;
    bool cancelled = false;
};

// Runs produce(i) for i = 0..count-1 on jobs threads and hands each result to consume in the
// order of i, on the calling thread, as soon as it and all before it are there. At most window
// results wait at a time, so memory does not grow with count. consume returning false stops
// the rest (what runs already ends first).
template <class T, class Produce, class Consume>
void RunInOrder(std::size_t count, int jobs, Produce produce, Consume consume) {
    if (jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            T result = produce(i);
            if (!consume(i, result)) return;
        }
        return;
    }
    const std::size_t window = std::size_t(jobs) * 4;
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::size_t, T> ready;
    std::size_t next = 0, told = 0;
    bool stop = false;
    auto work = [&] {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= count || next < told + window; });
                if (stop || next >= count) return;
                i = next++;
            }
            T result = produce(i);
            std::lock_guard lock(mutex);
            ready.emplace(i, std::move(result));
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < std::min<int>(jobs, int(count)); ++t) threads.emplace_back(work);
    for (std::size_t i = 0; i < count; ++i) {
        T result;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return ready.count(i) > 0; });
            auto it = ready.find(i);
            result = std::move(it->second);
            ready.erase(it);
            told = i + 1;
            changed.notify_all();
        }
        if (!consume(i, result)) break;
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
        changed.notify_all();
    }
    for (std::thread& thread : threads) thread.join();
}

std::string DisketteOf(const ScannedImage& image) {
    return image.label + '\n' + std::to_string(image.stamp);
}

class BoxScanner {
public:
    BoxScanner(const ScanRequest& request, IScanListener& listener, IProgressSink& sink,
               RescueResult& result)
        : m_request(request), m_listener(listener), m_sink(sink), m_result(result) {}

    // Judges every image and tells it; false when cancelled.
    bool Scan(const std::vector<std::string>& paths, const std::vector<std::int64_t>& sizes,
              const ExtractionFolder* out);
    // Groups the parts of spread files, collects them when extracting, and tells each set.
    void Spread(const ExtractionFolder* out);
    const ScanTotals& Totals() const { return m_totals; }

private:
    JudgedImage Judge(const std::string& path, const std::string& folder,
                      const std::string& partial);
    void Tell(std::size_t index, const ScannedImage& image);
    bool Cancelled() {
        if (!m_sink.CancelRequested()) return false;
        m_result.Set(RescueStatus::Interrupted, "Scan interrupted.");
        return true;
    }
    void CollectSpreadFile(const ExtractionFolder& out, SpreadGroup& group);

    const ScanRequest& m_request;
    IScanListener& m_listener;
    IProgressSink& m_sink;
    RescueResult& m_result;
    const ExtractionFolder* m_out = nullptr;
    ExtractionStop m_stop{false};
    ScanTotals m_totals;
    std::vector<SpreadPart> m_parts;
    std::vector<std::string> m_topNames{kChecksumFileName};  // taken in the extraction folder
    std::string m_topSums;  // checksum lines of the spread files collected whole there
};

JudgedImage BoxScanner::Judge(const std::string& path, const std::string& folder,
                              const std::string& partial) {
    JudgedImage judged;
    // The image is held from here to the end of this function, and not a moment longer.
    ImageVolume volume;
    if (!OpenImage(volume, path, judged.image)) return judged;
    const bool checksums = m_request.checksums || m_out;
    if (!m_out) {
        judged.cancelled = !JudgeFiles(volume, checksums, nullptr, m_sink, judged.image);
        return judged;
    }
    ImageExtraction extraction(*m_out, folder, partial, m_request.restoreAttributes, m_stop);
    const bool writing = extraction.Begin();
    judged.cancelled =
        !JudgeFiles(volume, checksums, writing ? &extraction : nullptr, m_sink, judged.image);
    if (writing && !judged.cancelled) extraction.Finish();
    if (judged.cancelled) extraction.Abandon();
    judged.problems = extraction.Problems();
    return judged;
}

void BoxScanner::Tell(std::size_t index, const ScannedImage& image) {
    m_listener.Image(image);
    ++m_totals.images;
    for (std::size_t j = 0; j < image.files.size(); ++j) {
        const ScannedFile& f = image.files[j];
        ++m_totals.files;
        m_totals.unreadableBytes += f.unreadableBytes;
        switch (f.health) {
            case FileHealth::Intact:
                ++m_totals.intact;
                break;
            case FileHealth::Damaged:
                ++m_totals.damaged;
                break;
            case FileHealth::HeaderUnreadable:
                ++m_totals.headerUnreadable;
                continue;
        }
        if (f.capacity >= std::int64_t(f.record.size)) continue;
        SpreadPart part;
        part.name = f.record.name;
        part.displayName = f.record.displayName;
        part.size = f.record.size;
        part.modificationTime = f.record.modificationTime;
        part.part = f.part;
        part.capacity = f.capacity;
        part.intact = f.health == FileHealth::Intact;
        part.image = index;
        part.file = j;
        part.path = image.path;
        part.number = f.record.fileNumber;
        part.extension = f.record.extension;
        part.attributes = f.record.attributes;
        part.diskette = DisketteOf(image);
        part.sha256 = f.sha256;
        m_parts.push_back(std::move(part));
    }
}

bool BoxScanner::Scan(const std::vector<std::string>& paths, const std::vector<std::int64_t>& sizes,
                      const ExtractionFolder* out) {
    m_out = out;
    std::vector<std::string> folders, partials;
    if (out) {
        folders = ImageFolderNames(paths);
        m_topNames.insert(m_topNames.end(), folders.begin(), folders.end());
        for (const std::string& folder : folders)
            m_topNames.push_back(partials.emplace_back(PartialName(folder, m_topNames)));
    }
    const int jobs = m_request.jobs > 0 ? m_request.jobs : AvailableProcessors();
    std::int64_t done = 0, bytes = 0;
    for (std::int64_t size : sizes) bytes += size;
    bool cancelled = false;
    m_sink.ShowCounts(0, long(paths.size()));
    m_sink.ShowBytes(0, bytes);
    RunInOrder<JudgedImage>(
        paths.size(), jobs,
        [&](std::size_t i) {
            if (m_sink.CancelRequested()) {
                JudgedImage skipped;
                skipped.cancelled = true;
                return skipped;
            }
            return out ? Judge(paths[i], folders[i], partials[i]) : Judge(paths[i], {}, {});
        },
        [&](std::size_t i, JudgedImage& judged) {
            if (judged.cancelled || m_sink.CancelRequested()) {
                cancelled = true;
                return false;
            }
            Tell(i, judged.image);
            for (const std::string& problem : judged.problems) m_listener.Problem(problem);
            done += sizes[i];
            m_sink.SetPercent(int((i + 1) * 100 / paths.size()));
            m_sink.ShowCounts(long(i + 1), long(paths.size()));
            m_sink.ShowBytes(done, bytes);
            return true;
        });
    if (cancelled) m_result.Set(RescueStatus::Interrupted, "Scan interrupted.");
    return !cancelled;
}

// Reads one part of a spread file again, as it was scanned, for collecting. False with a
// problem when it cannot be read as scanned, or when cancelled (problem empty then).
bool ReadPartAgain(const SpreadPart& part, std::int64_t partBytes, IScannedUnits& units,
                   const IProgressSink& sink, std::vector<std::uint32_t>& bad,
                   std::string& problem) {
    ImageVolume volume;
    const FileRecord* now = nullptr;
    if (volume.Open(part.path))
        for (const FileRecord& r : volume.Files())
            if (r.fileNumber == part.number) now = &r;
    // The image may have changed since it was scanned: only the part seen is taken.
    if (!now || now->name != part.name || now->extension != part.extension ||
        now->size != part.size || now->modificationTime != part.modificationTime ||
        volume.Volume().ChainCapacity(part.number) != part.capacity) {
        problem = part.displayName + " on " + part.path + " cannot be read again as scanned";
        return false;
    }
    bool cancelled = false;
    const Result<int> n = ReadChain(volume.Volume(), ChainTag::Of(*now),
                                    [&](std::uint32_t p, const std::uint8_t* piece, UnitRead) {
                                        if (!piece) bad.push_back(p);
                                        units.Piece(piece, ChainPieceLength(partBytes, p));
                                        cancelled = sink.CancelRequested();
                                        return !cancelled;
                                    });
    if (cancelled) return false;
    if (!n || *n < 0) {
        problem = part.path + ": " + IoErrorText(n.Error());
        return false;
    }
    return true;
}

void BoxScanner::CollectSpreadFile(const ExtractionFolder& out, SpreadGroup& group) {
    const SpreadPart& head = m_parts[group.chosen.front()];
    const std::string name = ExtractedName(group.name, head.number, m_topNames);
    const std::string target = out.Shown(name);
    SpreadExtraction file(out, name, m_topNames, m_stop);
    std::string problem;
    if (!file.Begin(problem)) return m_listener.Problem(problem);
    std::int64_t at = 0;
    for (std::size_t index : group.chosen) {
        const SpreadPart& part = m_parts[index];
        const std::int64_t partBytes = std::min<std::int64_t>(part.capacity, group.size - at);
        std::vector<std::uint32_t> bad;
        if (!ReadPartAgain(part, partBytes, file, m_sink, bad, problem)) {
            if (!problem.empty()) m_listener.Problem(target + ": " + problem);
            return;
        }
        if (file.WriteFailed()) return m_listener.Problem(file.Error());
        file.EndPart(group.name, at, bad);
        at += partBytes;
    }
    if (!file.Finish(head.modificationTime, head.attributes, m_request.restoreAttributes,
                     group.sha256, problem))
        return m_listener.Problem(problem);
    if (!group.sha256.empty()) m_topSums += Sha256SumsLine(group.sha256, name);
}

void BoxScanner::Spread(const ExtractionFolder* out) {
    std::vector<SpreadGroup> groups = GroupSpreadParts(m_parts);
    for (SpreadGroup& group : groups) {
        if (out && !group.chosen.empty() && !m_stop && m_result.Ok()) {
            CollectSpreadFile(*out, group);
            if (Cancelled()) return;
        }
        m_listener.Spread(group, m_parts);
    }
    std::string problem;
    if (out && !m_stop && !WriteTopChecksums(*out, m_topSums, m_topNames, problem))
        m_listener.Problem(problem);
}

}  // namespace

int AvailableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    return std::max(1, int(std::thread::hardware_concurrency()));
}

RescueResult StreamScanBox(const ScanRequest& request, IProgressRunner& runner,
                           IScanListener& listener) {
    RescueResult result;
    std::vector<std::string> paths;
    std::vector<std::int64_t> sizes;
    std::vector<SkippedFile> notImages;
    std::string error;
    if (!FindImages(request.folder, paths, sizes, notImages, error)) {
        result.Set(RescueStatus::Refused, "Cannot read the folder " + error);
        return result;
    }
    ExtractionFolder out;
    if (!request.extractTo.empty() && !out.Open(request.extractTo, error)) {
        result.Set(RescueStatus::Refused, error);
        return result;
    }
    runner.RunProgress(RescueProgress("Scanning diskette images, please wait...", request.folder,
                                      "%ld of %ld images scanned."),
                       [&](IProgressSink& sink) {
                           BoxScanner scanner(request, listener, sink, result);
                           const ExtractionFolder* to = request.extractTo.empty() ? nullptr : &out;
                           if (!scanner.Scan(paths, sizes, to)) return;
                           scanner.Spread(to);
                           if (!result.Ok()) return;
                           for (const SkippedFile& f : notImages) listener.NotImage(f);
                           listener.Totals(scanner.Totals());
                       });
    return result;
}

namespace {

class Collector final : public IScanListener {
public:
    explicit Collector(ScanOutcome& out) : m_out(out) {}
    void Image(const ScannedImage& image) override { m_out.images.push_back(image); }
    void Spread(const SpreadGroup& group, const std::vector<SpreadPart>& parts) override {
        m_out.parts = parts;
        m_out.spread.push_back(group);
    }
    void NotImage(const SkippedFile& file) override { m_out.notImages.push_back(file); }
    void Totals(const ScanTotals& totals) override { m_out.totals = totals; }
    void Problem(const std::string& text) override { m_out.extractProblems.push_back(text); }

private:
    ScanOutcome& m_out;
};

}  // namespace

ScanOutcome ScanBox(const ScanRequest& request, IProgressRunner& runner) {
    ScanOutcome out;
    Collector collector(out);
    static_cast<RescueResult&>(out) = StreamScanBox(request, runner, collector);
    return out;
}

std::string LabelText(const ScannedImage& image) {
    return DisplayText(image.label);
}

}  // namespace orv

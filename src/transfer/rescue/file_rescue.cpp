#include "transfer/rescue/file_rescue.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "fs/chain_reader.h"
#include "fs/layout.h"
#include "host/host_file.h"
#include "transfer/rescue/image_volume.h"

namespace orv {

namespace {

constexpr std::uint8_t kFiller = 0x58;  // 'X', as a copy fills what it cannot read

// The pieces gathered so far, and which chain positions they cover.
struct Gathered {
    bool found = false;
    FileRecord record;
    std::string firstPath;
    std::vector<std::uint8_t> data;
    std::vector<bool> have;
    std::uint32_t missing = 0;
};

// Takes from one image the pieces still missing. A refusal ends the whole rescue; a note
// says why this image gave nothing.
void TakeFromImage(const std::string& path, const std::string& name, Gathered& g,
                   RescueSource& source, IProgressSink& sink, FileRescueOutcome& out) {
    ImageVolume image;
    if (!image.Open(path)) {
        if (image.State() == ImageState::InUse)
            out.Set(RescueStatus::Refused, image.Error());
        else
            source.note = image.Error().empty() ? ImageStateText(image.State()) : image.Error();
        return;
    }
    std::size_t matches = 0;
    const FileRecord* r = FindListedFile(image.Files(), name, matches);
    if (!r) {
        // Guessing could rescue the wrong file.
        if (matches > 1) {
            out.Set(RescueStatus::Refused, "'" + name + "' names " + std::to_string(matches) +
                                               " files on " + path + "; nothing was written.");
            return;
        }
        source.note = "no file '" + name + "'";
        if (!image.Headerless().empty())
            source.note += " (" + std::to_string(image.Headerless().size()) +
                           " file(s) there have an unreadable header)";
        return;
    }
    if (image.Volume().ChainCapacity(r->fileNumber) < std::int64_t(r->size)) {
        out.Set(RescueStatus::Refused,
                name + " on " + path +
                    " holds only a part of a file spread over several diskettes; rescue takes "
                    "copies that hold the whole file (copy collects the parts); nothing was "
                    "written.");
        return;
    }
    if (!g.found) {
        g.found = true;
        g.record = *r;
        g.firstPath = path;
        g.data.assign(r->size, kFiller);
        g.have.assign(std::size_t(UnitsForBytes(std::int32_t(r->size))), false);
        g.missing = std::uint32_t(g.have.size());
    } else if (r->size != g.record.size || r->modificationTime != g.record.modificationTime) {
        out.Set(RescueStatus::Refused, name + " on " + path + " is another file than on " +
                                           g.firstPath +
                                           " (their size or date differ); nothing was written.");
        return;
    }
    // A unit that reads but is not the file's (a hole another tool left in the image, another
    // file's unit) is as missing as one that does not read: a later image may hold it.
    CChainReader chain(image.Volume(), ChainTag::Of(*r));
    const std::uint32_t units = std::uint32_t(std::max(chain.Count(), 0));
    std::array<std::uint8_t, kSectorSize> sector;
    for (std::uint32_t p = 0; p < g.have.size() && p < units; ++p) {
        if (g.have[p]) continue;
        if (sink.CancelRequested()) {
            out.Set(RescueStatus::Interrupted, "Action has been interrupted by user.");
            return;
        }
        const ChainUnit unit = chain.Read(p, sector.data());
        if (unit.how != UnitRead::Own) {
            if (!unit.DriveFailed()) continue;
            source.note = IoErrorText(unit.cause);
            return;
        }
        const std::int32_t at = ChainPieceOffset(p);
        const std::int32_t n =
            std::min<std::int32_t>(ChainPieceCapacity(p), std::int32_t(r->size) - at);
        if (n > 0)
            std::memcpy(g.data.data() + at, sector.data() + ChainPieceHeader(p), std::size_t(n));
        g.have[p] = true;
        --g.missing;
        ++source.pieces;
        sink.SetPercent(int(100 - 100 * long(g.missing) / long(g.have.size())));
        sink.ShowCounts(long(g.have.size() - g.missing), long(g.have.size()));
    }
}

bool WriteTarget(const std::string& path, const Gathered& g, bool restore, std::string& error) {
    HostFile file;
    if (!file.Open(path, HostFile::Mode::CreateNew)) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = g.data.empty() || file.Write(g.data.data(), long(g.data.size()));
    if (!file.Close() || !written) {
        error = "Could not write " + path + ": " + std::strerror(errno);
        ::unlink(path.c_str());  // a part of the file would pass for the file
        return false;
    }
    if (restore && !SetHostFileStatus(path, g.record.modificationTime, g.record.attributes)) {
        error = "Acception occured during setting file attributs.";
        return false;
    }
    return true;
}

}  // namespace

FileRescueOutcome RescueFile(const FileRescueRequest& request, IProgressRunner& runner) {
    FileRescueOutcome out;
    struct stat st {};
    if (::lstat(request.target.c_str(), &st) == 0) {
        out.Set(RescueStatus::Refused, request.target + " exists; it is not overwritten.");
        return out;
    }
    Gathered g;
    // Every image is looked at, also once every piece is had: each must hold the same file,
    // or the user gave one that does not belong.
    auto worker = [&](IProgressSink& sink) {
        for (std::size_t i = 0; i < request.images.size() && out.Ok(); ++i) {
            out.sources.push_back({request.images[i], 0, {}});
            TakeFromImage(request.images[i], request.name, g, out.sources.back(), sink, out);
        }
    };
    runner.RunProgress(RescueProgress("Rescuing file from diskette images, please wait...",
                                      request.target, "%ld of %ld pieces read."),
                       worker);
    if (!out.Ok()) return out;
    if (!g.found) {
        out.Set(RescueStatus::Refused,
                "No image holds a file '" + request.name + "'; nothing was written.");
        return out;
    }
    out.record = g.record;
    out.positions = std::uint32_t(g.have.size());
    for (std::uint32_t p = 0; p < g.have.size(); ++p)
        if (!g.have[p]) out.unread.push_back(p);
    std::string error;
    if (!WriteTarget(request.target, g, request.restoreAttributes, error))
        out.Set(RescueStatus::Failed, error);
    return out;
}

BadSectorReport RescueReport(const FileRescueOutcome& outcome) {
    BadSectorReport report;
    report.name = outcome.record.displayName;
    report.startByte = 0;
    report.badList = &outcome.unread;
    report.fileNumber = outcome.record.fileNumber;
    report.fileSize = outcome.record.size;
    report.partBytes = std::int32_t(outcome.record.size);
    return report;
}

}  // namespace orv

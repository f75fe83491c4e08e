#include "transfer/rescue/disk_imaging.h"

#include <sys/stat.h>

#include <chrono>
#include <vector>

#include "fs/layout.h"
#include "host/host_file.h"
#include "ports/drive_messages.h"
#include "transfer/rescue/image_identity.h"
#include "transfer/rescue/output_image.h"

namespace orv {

namespace {

// A partial image is filled in only from the diskette it was read from: where both tell their
// ID record, the records must agree. Reads the drive's system area for it.
bool SameDiskette(CDrive& drive, OutputImage& image, const FaultMap& faults, std::string& error) {
    std::vector<std::uint8_t> ours(static_cast<std::size_t>(kImageSize));
    std::vector<std::uint8_t> theirs(static_cast<std::size_t>(kImageSize));
    if (!image.ReadAll(ours.data(), error)) return false;
    SectorSet systemArea, got;
    for (int s = kSystemAreaFirst; s <= kSystemAreaLast; ++s) systemArea.set(std::size_t(s));
    DriveReadOutcome read;
    ReadInDriveOrder(drive, systemArea, 0, theirs.data(), got, nullptr, read);
    const auto partial = ImageIdentity(ours.data(), ~UnreadableSectors(faults));
    const auto inDrive = ImageIdentity(theirs.data(), got);
    if (!partial || !inDrive || *partial == *inDrive) return true;
    error = "The diskette in the drive (" + IdentityText(*inDrive) + ") is not the one " +
            image.Path() + " was read from (" + IdentityText(*partial) + "); nothing was written.";
    return false;
}

std::string StillToRead(const SectorSet& unreadable) {
    return std::to_string(unreadable.count()) +
           " sectors are still unread; reading into the same image again goes on with them.";
}

}  // namespace

ImagingOutcome ImageDiskette(CDrive& drive, const std::string& outPath, int retries,
                             IProgressRunner& runner, const std::string& mapfile) {
    ImagingOutcome out;
    const auto started = std::chrono::steady_clock::now();
    const std::string source = drive.Path();
    auto refuse = [&out](std::string why) {
        out.Set(RescueStatus::Refused, std::move(why));
        return out;
    };
    auto fail = [&out](std::string why) {
        out.Set(RescueStatus::Failed, std::move(why));
        return out;
    };
    if (!drive.Medium()) return refuse(DriveFailureText(IoError::NoMedium));
    if (SameHostFile(source, outPath))
        return refuse(outPath + " is the diskette in the drive; it is not read into itself.");
    if (!mapfile.empty() && (mapfile == outPath || SameHostFile(mapfile, outPath)))
        return refuse(mapfile + " is the image itself; the mapfile needs a file of its own.");
    if (!mapfile.empty() && SameHostFile(mapfile, source))
        return refuse(mapfile + " is the diskette in the drive; it is not the mapfile.");
    // Nobody may write on the diskette while it is read, nor on the image while it is filled.
    DriveLock lock(drive);
    if (!lock.Held()) return refuse(lock.Error());

    OutputImage image;
    if (!mapfile.empty()) image.UseMapfile(mapfile);
    const std::string comment =
        mapfile.empty()
            ? "Sectors that could not be read from " + source +
                  ".\nReading into this image again tries them anew."
            : "Mapfile of " + outPath + ", read from " + source +
                  " by Orvalis (orvalis-cli image).\nThe '-' blocks never read; reading into "
                  "this image again with this mapfile\n(orvalis-cli image --mapfile, or "
                  "ddrescue -d -r3 DEVICE IMAGE MAPFILE) tries them anew.";
    FaultMap faults;
    std::string error;
    if (HostNameTaken(outPath)) {
        if (!image.OpenPartial(outPath, faults, error) ||
            !SameDiskette(drive, image, faults, error))
            return refuse(error);
        out.resumed = true;
    } else {
        // Until the read is over, the record says that nothing was read: a run cut short by
        // a crash leaves an image that the next run fills in.
        if (!image.Create(outPath, error, comment)) return refuse(error);
        faults.SetRange(0, kSectorCount - 1, Fault::Unreadable);
    }
    out.record = image.RecordPath();  // the image's name is known now

    const SectorSet wanted = UnreadableSectors(faults);
    std::vector<std::uint8_t> data(std::size_t(kImageSize), 0);
    SectorSet got;
    DriveReadOutcome read;
    runner.RunProgress(RescueProgress("Reading the diskette into an image, please wait...", outPath,
                                      "%ld of %ld sectors read."),
                       [&](IProgressSink& sink) {
                           ReadInDriveOrder(drive, wanted, retries, data.data(), got, &sink, read);
                       });
    out.tried = int(wanted.count());
    out.readNow = int(got.count());
    const bool stopped = read.driveFailure != IoError::None || read.cancelled;

    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (stopped && got.none() && image.Created()) {
        image.Discard();  // nothing was read: there is no image to go on with
        const std::string why = read.cancelled ? std::string("Reading interrupted by user.")
                                               : DriveFailureText(read.driveFailure);
        out.Set(read.cancelled ? RescueStatus::Interrupted : RescueStatus::Failed, why);
        return out;
    }
    // The sectors first, then the record that lets them go: a crash between the two leaves
    // sectors listed that are in fact there, and the next run reads them again.
    if (!image.WriteSectors(data.data(), got, error)) return fail(error);
    for (int s : SectorList(got)) faults.Set(s, Fault::None);
    if (!image.WriteRecord(faults, comment, error)) return fail(error);
    out.written = true;
    out.unreadable = UnreadableSectors(faults);
    const std::string rest = "\n" + StillToRead(out.unreadable);
    if (read.driveFailure != IoError::None)
        out.Set(RescueStatus::Failed, DriveFailureText(read.driveFailure) + rest);
    else if (read.cancelled)
        out.Set(RescueStatus::Interrupted, "Reading interrupted by user." + rest);
    return out;
}

}  // namespace orv

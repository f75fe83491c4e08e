#include "fs/diskette_open.h"

namespace orv {

OpenEnd OpenDisketteFiles(CVolume& volume, DisketteListing& listing,
                          const std::function<bool()>& goOnWithoutSignature) {
    listing = DisketteListing{};
    if (!volume.OpenDevice()) return OpenEnd::Sector0Unreadable;  // no drive to read
    const Result<bool> signature = volume.CheckSector0();
    if (!signature) return OpenEnd::Sector0Unreadable;
    listing.signature = *signature;
    if (!listing.signature && goOnWithoutSignature && !goOnWithoutSignature())
        return OpenEnd::Declined;
    const Result<bool> ids = volume.FindIdSectors();
    if (!ids) return OpenEnd::Sector0Unreadable;  // the drive stopped answering meanwhile
    if (!*ids) return OpenEnd::NoIdSectors;
    return ReadDisketteFiles(volume, listing);
}

OpenEnd ReadDisketteFiles(CVolume& volume, DisketteListing& listing) {
    listing.files.clear();
    listing.unsettled.clear();
    listing.headersUnreadable = false;
    if (!volume.ReadFat(false)) return OpenEnd::TableUnreadable;
    // Copies that differ hold a table write that was cut short: a file listed from either copy
    // alone could lack units, or take another file's. The units' own tags settle it.
    const bool differ = volume.SettleDifferingCopies(&listing.unsettled) > 0;
    listing.headersUnreadable = volume.ListFiles(listing.files).end == ListEnd::SomeUnreadable;
    return differ ? OpenEnd::CopiesDiffer : OpenEnd::Opened;
}

}  // namespace orv

#include "fs/diskette_open.h"

namespace orv {

OpenEnd OpenDisketteFiles(CVolume& volume, DisketteListing& listing,
                          const std::function<bool()>& goOnWithoutSignature) {
    listing = DisketteListing{};
    volume.OpenDevice();
    const int sector0 = volume.CheckSector0();
    if (sector0 == -2) return OpenEnd::Sector0Unreadable;
    listing.signature = sector0 == 0;
    if (!listing.signature && goOnWithoutSignature && !goOnWithoutSignature())
        return OpenEnd::Declined;
    const int ids = volume.FindIdSectors();
    if (ids == -2) return OpenEnd::Sector0Unreadable;  // the drive stopped answering meanwhile
    if (ids != 0) return OpenEnd::NoIdSectors;
    return ReadDisketteFiles(volume, listing);
}

OpenEnd ReadDisketteFiles(CVolume& volume, DisketteListing& listing) {
    listing.files.clear();
    listing.unsettled.clear();
    listing.headersUnreadable = false;
    if (volume.ReadFat(false) == 0) return OpenEnd::TableUnreadable;
    // Copies that differ hold a table write that was cut short: a file listed from either copy
    // alone could lack units, or take another file's. The units' own tags settle it.
    const bool differ = volume.SettleDifferingCopies(&listing.unsettled) > 0;
    listing.headersUnreadable = volume.ListFiles(listing.files) == -2;
    return differ ? OpenEnd::CopiesDiffer : OpenEnd::Opened;
}

}  // namespace orv

// Opening a diskette for its files, for every reader of one (the document, the tools that read
// images): sector 0, the ID sectors, the table (settled in memory when its two copies differ)
// and the file list, ending in one of the states below.
#pragma once

#include <functional>
#include <vector>

#include "fs/file_record.h"
#include "fs/volume.h"

namespace orv {

enum class OpenEnd {
    Opened,             // files listed; the table copies agree
    CopiesDiffer,       // files listed as their own units confirm them; the copies differ
    Sector0Unreadable,  // no diskette, or sector 0 does not read: nothing can be found
    Declined,           // sector 0 lacks the signature, and the caller chose not to go on
    NoIdSectors,        // no ID sector reads
    TableUnreadable,    // some table sector reads in neither copy
};

// True for the two ends whose files are listed.
constexpr bool Listed(OpenEnd end) {
    return end == OpenEnd::Opened || end == OpenEnd::CopiesDiffer;
}

// What an open found, beside how it ended.
struct DisketteListing {
    bool signature = false;  // sector 0 read and carries the signature
    // The files whose header units read (entries only, no display texts).
    std::vector<FileRecord> files;
    // With copies that differ: the files their units do not confirm, as their headers say.
    std::vector<FileRecord> unsettled;
    bool headersUnreadable = false;  // some files the table names were left out
};

// Opens the device and reads the diskette from sector 0 on. goOnWithoutSignature is asked
// when sector 0 reads but lacks the signature (a diskette of another program, or a blank
// one); false ends in Declined, none goes on.
OpenEnd OpenDisketteFiles(CVolume& volume, DisketteListing& listing,
                          const std::function<bool()>& goOnWithoutSignature = {});

// Reads the table and the files of a diskette whose ID sectors were found: Opened,
// CopiesDiffer or TableUnreadable. The listing's signature is left as it is.
OpenEnd ReadDisketteFiles(CVolume& volume, DisketteListing& listing);

}  // namespace orv

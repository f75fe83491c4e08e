// What the format dialog and its worker say.
#pragma once

namespace orv::format_text {

inline constexpr char kTitle[] = "Format - Diskette 3.5 (Halvorn)";
inline constexpr char kResultsTitle[] = "Results - Diskette 3,5.(Halvorn)";

// Status line.
inline constexpr char kInitializing[] = "Initializing...";
inline constexpr char kSearchingIds[] = "Serching for ID sectors.";
inline constexpr char kSearchingFat[] = "Serching for FAT sectors.";
inline constexpr char kFormatting[] = "Formatting...";
inline constexpr char kWritingFat[] = "Writing FAT sectors on diskette...";
inline constexpr char kWritingIds[] = "Writing ID sectors...";
inline constexpr char kAlmostDone[] = "It's almost done...";
inline constexpr char kDone[] = "Done...";
inline constexpr char kInterrupted[] = "Format interrupted";

// Message boxes.
inline constexpr char kAskDeleteFiles[] =
    "This diskette holds %d file(s).\nFormatting deletes them all.\n\nDo you want to format it ?";
inline constexpr char kCannotOpen[] = "Unable to open the diskette. Unexpected error.";
inline constexpr char kAskStop[] = "Are you sure you want to stop formatting ?";
inline constexpr char kAskRepairSector0[] =
    "Cannot read sector 0, or no diskette in drive\nDiskette with bad sector 0 can't by "
    "formated\nIf you choose NO, format will not continue.\nSector 0 can by repaired by Disk "
    "service.\nShell I try to repair it now ?";
inline constexpr char kSector0NotRepaired[] =
    "Sector #0 could not be repaired.\nDiskette can't be used anymore.\n\nMake sure the "
    "diskette is not locked. If so, unlock it and try again.";
inline constexpr char kSystemAreaBad[] =
    "All sectors in system area of this diskette seems to be bad.\nTry to use Disk service";
inline constexpr char kScanSector0[] = "Cannot read sector 0.\nTry to use Disk service";
inline constexpr char kNoRoomForSystem[] =
    "There isn't enough of free space on diskette\nfor ID sectors and for FAT";
inline constexpr char kCannotWrite[] =
    "Cannot write to diskette.\nProbably too many bad sectors,\nor diskette in damaged.";
inline constexpr char kCannotFormat[] = "This diskette cannot be formatted.";

}  // namespace orv::format_text

// What the disk service dialog and its workers say.
#pragma once

namespace orv::service_text {

inline constexpr char kTitle[] = "Disk service - Diskette 3,5 (Halvorn)";
inline constexpr char kResultsTitle[] = "Test result - Diskette 3,5.";

// Status line.
inline constexpr char kScanning[] = "Scaning diskette...";
inline constexpr char kRepairing[] = "Repairing #0 sector...";
inline constexpr char kRepairDone[] = "Repairing process successfully finished.";
inline constexpr char kRepairFailed[] = "Repair of #0 sector was unsuccessful.";
inline constexpr char kSearchingIds[] = "Serching for ID sectors.";
inline constexpr char kSearchingReserve[] = "Serching for reserve copy of IDS.";
inline constexpr char kRepairingShort[] = "Repairing #0 sector.";
inline constexpr char kSearchingFat[] = "Serching for FAT sectors.";
inline constexpr char kSearchingFragments[] = "Serching for lost file fragments.";
inline constexpr char kWritingFat[] = "Writing FAT sectors.";
inline constexpr char kCheckingFiles[] = "Checking the sectors of every file.";
inline constexpr char kFinishing[] = "Disk test is now finishing.";
inline constexpr char kTestDone[] = "Test is done.";

// Message boxes shared by the workers.
inline constexpr char kCannotOpen[] = "Unable to open the diskette. Unexpected error.";
inline constexpr char kScanInterrupted[] = "Scan interrupted.";
inline constexpr char kTestInterrupted[] = "Test was interrupted.";
inline constexpr char kRadioError[] = "Radio Error !!!";
inline constexpr char kProcessError[] = "Process Error !!!";
inline constexpr char kSector0Repaired[] = "Sector #0 was successfully repaired.";
inline constexpr char kSector0NotRepaired[] =
    "Sector #0 could not be repaired.\nDiskette can't be used anymore.\n\nMake sure the "
    "diskette is not locked. If so, unlock it and try again.";
inline constexpr char kAskRepairSector0[] =
    "Unable to read #0 sector.\nNo diskette in drive,\nor sector #0 is damaged. Diskette can "
    "not be tested.\n\nDo you want me to try to repair first sector ?";

// System parts test.
inline constexpr char kAllRight[] = "All system parts of diskette seems to be allright.";
inline constexpr char kReserveNeedsFullTest[] =
    "Reserve copy of IDS has been found.\nHowever diskette requires full test.\n\nPlease, run "
    "full test.";
inline constexpr char kNotFormatted[] =
    "Diskette is not formated for Orvalis or is damaged.\n\nRun full test ?";
inline constexpr char kTooFewIds[] =
    "In diskette's system area is not enough free space\nfor all ID sectors.\nFull test is "
    "needed to fix this problem.\n\nDo you want to run full test?";
inline constexpr char kFatUnreadable[] =
    "Cannot read FAT. Both copies of FAT are damaged.\nFull test is needed to fix this "
    "problem.\n\nDo you want to run full test?";
inline constexpr char kFatCopiesDiffer[] =
    "The FAT copies are not the same.\nFull test is needed to fix this problem.\n\nDo you want "
    "to run full test?";
inline constexpr char kContinueAfterRepair[] =
    "Sector #0 has been repaired successfully.\n\nDo you want to continue with testing?";

// Full test.
inline constexpr char kUseReserveCopy[] =
    "Reserve copy of IDS has been found.\nThis copy can contain old information,\nwhich don't "
    "reflect real status of the diskette.\n\nDo you want to use this IDS to read "
    "FAT?\nRecommended: NO\n            (It means: Test all data sectors and create new FAT.";
inline constexpr char kIdsMissing[] =
    "Basic ID sectors on diskette are missing.\nData, whitch will be gained are more or less "
    "chance.\n\nDo you want to continue ?";
inline constexpr char kWriteProtected[] =
    "Unable to write on the diskette.\nDiskette is probably write protected.\nIf not so, disk "
    "is damaged and cannot be used anymore.";
inline constexpr char kNoSystemArea[] =
    "Diskette is damaged, or too full, it is impossible\nto write ID or FAT sectors.";
inline constexpr char kAskMakeRoom[] =
    "Unable to write FAT.\nDiskette is probably full.\nTo continue with test it's necessary to "
    "make some free disk space (few KB).\nCancel ... You stoped repair.\n           (You can "
    "make some space by yourself \n            and then start disk service again.)\nOK "
    "....... Disk service will try to make some free disk space\n           and finish the "
    "task.";
inline constexpr char kNoRoom[] =
    "Unable to make enough disk space for writing FAT.\nYou should try to do it by yourself "
    "and start test again.";
inline constexpr char kCannotWriteIds[] =
    "Unable to write diskette's ID sectors.\nYou should try full test again.\nWhen another "
    "test will be unsuccessful, this diskettecannot be used anymore.";
// Files rebuilt without knowing for sure which units are theirs (%s: one "name.ext (#n)" line
// per file).
inline constexpr char kUncertainFiles[] =
    "Full test has rebuilt these files, but it can't tell for sure\nwhich sectors belong to "
    "them:\n\n%s\nTheir data can be wrong. Please, compare them with the original files.";
// Files that keep units which do not hold their data (%s: one "name.ext (#n): positions" line
// per file).
inline constexpr char kDamagedFiles[] =
    "Full test has found sectors of these files that do not hold their data\n(they cannot be "
    "read, or hold something else: a hole in an image,\nanother file's data):\n\n%s\nA copy "
    "of such a file fills those sectors with X and reports them.\nA repair file or a rescue "
    "from another copy can bring them back.";
inline constexpr char kAndMoreFiles[] = "... and %d more files\n";

}  // namespace orv::service_text

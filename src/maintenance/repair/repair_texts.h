// What the repair-file dialog and its two commands say.
#pragma once

namespace orv::repair_text {

inline constexpr char kCreateTitle[] = "Create repair file";
inline constexpr char kRepairTitle[] = "Repair file";
inline constexpr char kCreateStatus[] = "Write file of entered bad sectors";
inline constexpr char kRepairStatus[] = "Repair file copied from a bad diskette";

// The dialog's own boxes (no icon).
inline constexpr char kSectorRange[] = "Enter sector number between 1 and 2816";
inline constexpr char kAlreadyListed[] = "Sector %d is already in the list.";
inline constexpr char kFilesMissing[] = "Enter source and target file first please.";
inline constexpr char kNotAnInteger[] = "Please enter an integer.";
inline constexpr char kStartByteRange[] = "Please enter an integer between 0 and 1000000000.";

// The routines' boxes (exclamation, and information for what went well); %-fields are filled by
// the routines.
inline constexpr char kCannotOpenSuffix[] = "\n\nFile could not be opened.";
inline constexpr char kCannotCreateSuffix[] = " \n\nCould not open or create file.";
inline constexpr char kWriteSectFailed[] =
    "Could not create repair file.\nError in WriteSectToFile()";
inline constexpr char kCreateFailed[] = "Could not create repair file";
inline constexpr char kRepaired[] = "File has been repaired.";
inline constexpr char kNotRepaired[] = "Could not repair file.";

}  // namespace orv::repair_text

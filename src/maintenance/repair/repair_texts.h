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
// A piece of the target that a repair would overwrite holds other bytes than the filler ('X')
// that a copy leaves where a unit does not read; %s: the chain positions.
inline constexpr char kNotFiller[] =
    "The target holds its own bytes, not the filler of a copy, at the position(s) %s.\nThe list, "
    "the start byte or the target is not the one of this repair file. Nothing was written.";
// Pieces past the end of a target cut short would leave a stretch of unknown bytes before
// them; %s: the chain positions, %ld the target's length.
inline constexpr char kGapPastEnd[] =
    "The position(s) %s lie past the end of the target (%ld B), with bytes before them that no "
    "piece fills.\nNothing was written.";
inline constexpr char kNotRepaired[] = "Could not repair file.";

}  // namespace orv::repair_text

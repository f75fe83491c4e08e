// Repair files: the 507-byte pieces of an intact file at the listed chain positions, carried
// into a damaged copy of it. Piece i belongs to list entry i; the position of entry k is
// BytesInUnits(k) + start byte, where the data of unit k of this diskette's part begins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maintenance/repair/repair_input.h"
#include "ports/user_port.h"

namespace orv {

// Collects the pieces of the source in output (replacing what it held). 0, or -1 with the
// reason told to the user. Nothing touches the disk but the source's reading.
int WriteSectToFile(const RepairList& list, std::vector<std::uint8_t>& output,
                    const std::string& sourcePath, std::int32_t startByte, IUserPort& user);

// Writes the pieces of the repair file into the target at their positions. Every piece is read
// and every position checked before the first write, so a repair file that does not fit the
// list changes nothing: each piece must land on the filler ('X') that a copy leaves for a unit
// it could not read, or past the end of a target cut short, joining on to it without a gap.
// 0, or -1 (a message told the user why, except for a repair file that ends before the last
// piece).
int ApplyRepairFile(const RepairList& list, const std::string& repairPath,
                    const std::string& targetPath, std::int32_t startByte, IUserPort& user);

// The "Create repair file" command after its dialog: the pieces, then the repair file on disk,
// then "%ld B copied". 0 created, -1 not (told to the user; no partial repair file is left).
int CreateRepairFile(const RepairRequest& request, IUserPort& user);

// The "Repair file" command after its dialog: "File has been repaired." or "Could not repair
// file.". 0 repaired, -1 not.
int RepairFromRepairFile(const RepairRequest& request, IUserPort& user);

}  // namespace orv

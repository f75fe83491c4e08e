// The files that keep units which do not hold their data: units that do not read, and units
// that read but do not carry the file's tag (a hole another tool left in an image, another
// file's unit that the table gives to this one). The table keeps them as the file's, so that
// every later byte stays in its place; the user is told which files a copy will report.
#pragma once

#include <string>
#include <vector>

#include "fs/volume.h"
#include "maintenance/diskservice/unit_pass.h"
#include "ports/worker_dialog_port.h"

namespace orv {

// Reads every unit of every listed file, moving the dialog's progress bar from `from` to `to`.
// Appends each damaged file with its chain positions and the bytes they should hold.
PassResult FindDamagedFiles(CVolume& volume, IWorkerDialog& dialog, int from, int to,
                            std::vector<DamagedFile>& files);

// The message that names them (at most a screenful; the rest is counted).
std::string DamagedFilesMessage(const std::vector<DamagedFile>& files);

}  // namespace orv

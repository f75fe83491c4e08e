// What a format would delete: the files of the diskette in the drive, counted before the
// format dialog starts its worker.
#pragma once

namespace orv {

class CDrive;

// The files that the diskette's table names (each part of a spread file counts once); 0 for
// none, -1 when the table cannot be read (no diskette, not formatted, damaged).
int FilesOnDiskette(CDrive& drive);

}  // namespace orv

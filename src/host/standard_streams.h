// Descriptors 0, 1 and 2 as every program of ours finds them. A program started with one of them
// closed would hand that number to the first file it opens (the image in the drive, say), and
// its listing or its questions would then be written into that file.
#pragma once

namespace orv {

// The exit status of a program that cannot make its standard streams safe (sysexits' EX_OSERR).
constexpr int kNoStandardStreams = 71;

// Puts /dev/null on each of descriptors 0 to 2 that is closed. Call it first in main, before
// anything opens a file. False when /dev/null cannot be opened: the program must then end
// before it opens anything else.
bool FillClosedStandardStreams();

}  // namespace orv

// Running tools as a user runs them from a shell, for the tests that need real programs (FUSE,
// loop devices, ddrescue, cp).
#pragma once

#include <string>

namespace orv::tests {

// Whether an executable of that name is on $PATH.
bool OnPath(const std::string& tool);
// Runs a shell line; its exit status (-1 when it did not exit), and its output, both streams,
// in output without the last line end.
int Capture(const std::string& line, std::string& output);
void Quietly(const std::string& line);

}  // namespace orv::tests

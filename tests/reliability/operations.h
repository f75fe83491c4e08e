// The operations that the power-loss and I/O-failure sweeps interrupt, each with the diskettes
// it starts from and what those diskettes may hold afterwards.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "reliability/harness.h"

namespace orv::reliability {

struct Operation {
    std::string name;
    std::vector<Medium> before;  // [0] is in the drive when the operation starts
    // Runs the operation on the given diskettes (clones of `before`); the result is what the
    // operation returned (0 success).
    std::function<int(std::vector<Medium>&, WorkerOutcome&)> run;
    // Per diskette: what it may hold after an interruption at any point.
    std::vector<Expectation> interrupted;
    // Per diskette: what it holds after the operation has run to its end.
    std::vector<Expectation> done;
};

// A formatted diskette holding a few files (3 000, 448, 20 000 and 0 bytes), and those files.
struct BaseDiskette {
    Medium medium;
    FileSet files;
};
BaseDiskette MakeBase();

// The names of all operations: quick and full format, adds of 0, 1, 448, 449, 5 000 and
// 100 000 bytes, an add into the units of a deleted file of the same extension, an add that
// fills the diskette, an add that spills onto a second diskette,
// delete, copy, the full test on a sound diskette and the full test that rebuilds a lost table.
// Without the copy when only operations that write to the diskette are wanted.
std::vector<std::string> OperationNames(bool writingOnly);
Operation MakeOperation(const std::string& name);

}  // namespace orv::reliability

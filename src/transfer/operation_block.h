// The parameters of one long file operation, handed to the worker routine.
#pragma once

#include <cstdint>
#include <vector>

#include "fs/file_record.h"
#include "host/host_file.h"
#include "ports/progress_port.h"
#include "transfer/file_loops.h"

namespace orv {

class COrvalisDoc;

enum : std::int32_t { OP_COPY = 26, OP_ADD = 30, OP_COPY_REST = 32 };

// The progress dialog of a file moving between the hard disk and the diskette: the pictures
// of its way, its title, the file and the counter; cancelling is asked first.
ProgressSpec FileTransferProgress(Picture from, Picture to, std::string title, std::string fileLine,
                                  std::string countFormat);

struct OperationBlock {
    std::int32_t operation = 0;
    COrvalisDoc* document = nullptr;
    HostFile* file = nullptr;
    FileRecord* record = nullptr;
    std::int32_t result = 0;        // bytes moved, or -1
    std::int32_t fileNumber = 0;    // copy only
    std::int32_t byteCount = 0;     // copy only
    std::int32_t start = 0;         // add: source position; copy rest: bytes already copied
    std::int32_t continueFlag = 0;  // copy rest: go on past unreadable units
    std::vector<std::uint32_t>* badList = nullptr;
    // Copy: the bytes of the whole copy before this diskette's part, and all it copies; the
    // counter shows the whole file's progress (0: the part's own).
    std::int32_t copiedBefore = 0;
    std::int32_t copyTotal = 0;
    bool wholeOnly = false;  // add: all of the rest on this diskette, or nothing
    LoopFailure failure;     // why the loop failed or stopped short
};

struct WorkerBlock {
    OperationBlock* operation = nullptr;
    IProgressSink* dialog = nullptr;
};

// The worker routine of every file transfer: dispatches on the operation code and stores the
// outcome in the block's result. Returns 0.
int DlouhaOperace(WorkerBlock* block);

}  // namespace orv

// The worker routine of the file transfers.
#include "transfer/document.h"
#include "transfer/file_loops.h"
#include "transfer/operation_block.h"

namespace orv {

int DlouhaOperace(WorkerBlock* block) {
    OperationBlock& op = *block->operation;
    CVolume& volume = op.document->Volume();
    switch (op.operation) {
        case OP_COPY:
            op.result = ReadFileFromDiskette(volume, op.fileNumber, *op.file, op.byteCount, 0,
                                             false, nullptr, block->dialog, &op.failure);
            break;
        case OP_ADD:
            op.result = WriteFileToDiskette(volume, *op.file, op.start, *op.record, block->dialog,
                                            op.document->m_bVerification, &op.failure);
            break;
        case OP_COPY_REST:
            op.result =
                ReadFileFromDiskette(volume, op.fileNumber, *op.file, op.byteCount, op.start,
                                     op.continueFlag != 0, op.badList, block->dialog, &op.failure);
            break;
        default:
            Notify(op.document->User(), "Unknown error (2), in function DlouhaOperace()");
            break;
    }
    return 0;
}

int COrvalisDoc::RunOperation(OperationBlock& block, const ProgressSpec& display) {
    WorkerBlock worker{&block, nullptr};
    return m_ports.progress->RunProgress(display, [&worker](IProgressSink& sink) {
        worker.dialog = &sink;
        DlouhaOperace(&worker);
    });
}

}  // namespace orv

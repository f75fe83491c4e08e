// The worker routine of the file transfers.
#include <algorithm>
#include <optional>
#include <utility>

#include "transfer/document.h"
#include "transfer/file_loops.h"
#include "transfer/operation_block.h"

namespace orv {

namespace {

// The read loop counts the bytes of one diskette's part; the user wants the whole file's.
class WholeCopyProgress final : public IProgressSink {
public:
    WholeCopyProgress(IProgressSink& part, const OperationBlock& op)
        : m_part(part),
          m_before(op.copiedBefore),
          // A second pass over the part (past unreadable units) resumes behind op.start bytes.
          m_partBytes(op.byteCount + (op.operation == OP_COPY_REST ? op.start : 0)),
          m_total(op.copyTotal) {}

    void SetPercent(int percent) override {
        Show(m_before + long(double(m_partBytes) * percent / 100.0));
    }
    void ShowCounts(long done, long) override {
        Show(m_before + done);
        m_part.ShowCounts(m_shown, m_total);
    }
    bool CancelRequested() const override { return m_part.CancelRequested(); }

private:
    // The bar never goes back and never passes the whole.
    void Show(long done) {
        m_shown = std::clamp(done, m_shown, m_total);
        m_part.SetPercent(std::clamp(int(double(m_shown) / double(m_total) * 100.0), 0, 100));
    }
    IProgressSink& m_part;
    const long m_before;
    const long m_partBytes;
    const long m_total;
    long m_shown = 0;
};

// The tag the copied units must carry: the record's, under the number the block names.
ChainTag CopyTag(const OperationBlock& op) {
    ChainTag tag = op.record ? ChainTag::Of(*op.record) : ChainTag::NumberOnly(op.fileNumber);
    tag.number = std::uint16_t(op.fileNumber);
    return tag;
}

}  // namespace

int DlouhaOperace(WorkerBlock* block) {
    OperationBlock& op = *block->operation;
    CVolume& volume = op.document->Volume();
    IProgressSink* sink = block->dialog;
    std::optional<WholeCopyProgress> whole;
    if (sink && op.copyTotal > 0 && op.operation != OP_ADD) sink = &whole.emplace(*sink, op);
    switch (op.operation) {
        case OP_COPY:
            op.result = ReadFileFromDiskette(volume, CopyTag(op), *op.file, op.byteCount, 0, false,
                                             nullptr, sink, &op.failure);
            break;
        case OP_ADD:
            op.result =
                WriteFileToDiskette(volume, *op.file, op.start, *op.record, sink,
                                    op.document->m_bVerification, &op.failure, op.wholeOnly);
            break;
        case OP_COPY_REST:
            op.result = ReadFileFromDiskette(volume, CopyTag(op), *op.file, op.byteCount, op.start,
                                             op.continueFlag != 0, op.badList, sink, &op.failure);
            break;
        default:
            Notify(op.document->User(), "Unknown error (2), in function DlouhaOperace()");
            break;
    }
    return 0;
}

ProgressSpec FileTransferProgress(Picture from, Picture to, std::string title, std::string fileLine,
                                  std::string countFormat) {
    ProgressSpec display;
    display.left = from;
    display.right = to;
    display.title = std::move(title);
    display.fileLine = std::move(fileLine);
    display.askBeforeCancel = true;
    display.cancelQuestion = "Do you really want to interrupt this action ?";
    display.countFormat = std::move(countFormat);
    return display;
}

int COrvalisDoc::RunOperation(OperationBlock& block, const ProgressSpec& display) {
    WorkerBlock worker{&block, nullptr};
    const int rc = m_ports.progress->RunProgress(display, [&worker](IProgressSink& sink) {
        worker.dialog = &sink;
        DlouhaOperace(&worker);
    });
    if (rc != PROGRESS_OK) ++m_cancels;
    return rc;
}

}  // namespace orv

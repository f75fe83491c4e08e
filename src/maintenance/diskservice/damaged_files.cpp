#include "maintenance/diskservice/damaged_files.h"

#include "fs/chain_piece.h"
#include "fs/chain_reader.h"
#include "fs/name_text.h"
#include "maintenance/balance/results_texts.h"
#include "maintenance/diskservice/service_texts.h"
#include "ports/text_format.h"

namespace orv {

namespace {
constexpr std::size_t kNamesShown = 20;
}  // namespace

PassResult FindDamagedFiles(CVolume& volume, IWorkerDialog& dialog, int from, int to,
                            std::vector<DamagedFile>& found) {
    std::vector<FileRecord> files;
    if (const FileListing listed = volume.ListFiles(files); listed.DriveFailed())
        return Status::Failure(listed.cause);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileRecord& file = files[i];
        dialog.SetProgress(from + int((to - from) * i / files.size()));
        // A part of a spread file holds what its units hold; the last part may end sooner,
        // which only the parts before it could tell.
        const std::int64_t partBytes =
            std::min<std::int64_t>(volume.ChainCapacity(file.fileNumber), file.size);
        DamagedFile damaged;
        bool stopped = false;
        const Result<int> n = ReadChain(
            volume, ChainTag::Of(file), [&](std::uint32_t p, const std::uint8_t* piece, UnitRead) {
                if (!piece) {
                    damaged.positions.push_back(p);
                    damaged.unreadableBytes += ChainPieceLength(partBytes, p);
                }
                stopped = dialog.m_nState == -1;
                return !stopped;
            });
        if (stopped) return PassEnd::Stopped;
        if (!n) return n.GetStatus();
        if (damaged.positions.empty()) continue;
        std::string name = file.name;
        if (!file.extension.empty()) name.append(".").append(file.extension);
        damaged.name = DisplayText(name) + StrFormat(" (#%d)", int(file.fileNumber));
        found.push_back(std::move(damaged));
    }
    dialog.SetProgress(to);
    return PassEnd::Done;
}

std::string DamagedFilesMessage(const std::vector<DamagedFile>& files) {
    std::string list;
    for (std::size_t i = 0; i < files.size() && i < kNamesShown; ++i)
        list.append(DamagedFileLine(files[i])).append("\n");
    if (files.size() > kNamesShown)
        list.append(StrFormat(service_text::kAndMoreFiles, int(files.size() - kNamesShown)));
    return StrFormat(service_text::kDamagedFiles, list.c_str());
}

}  // namespace orv

#include "maintenance/diskservice/damaged_files.h"

#include "fs/chain_reader.h"
#include "fs/name_text.h"
#include "maintenance/diskservice/service_texts.h"
#include "ports/text_format.h"

namespace orv {

namespace {
constexpr std::size_t kNamesShown = 20;
constexpr std::size_t kPositionsShown = 12;

std::string PositionsText(const std::vector<std::uint32_t>& positions) {
    std::string text;
    for (std::size_t i = 0; i < positions.size() && i < kPositionsShown; ++i)
        text += (i ? ", " : "") + std::to_string(positions[i]);
    if (positions.size() > kPositionsShown)
        text += StrFormat(" and %d more", int(positions.size() - kPositionsShown));
    return text;
}
}  // namespace

int FindDamagedFiles(CVolume& volume, IWorkerDialog& dialog, int from, int to,
                     std::vector<std::string>& names) {
    std::vector<FileRecord> files;
    if (volume.ListFiles(files) == -2 && IsDriveFailure(volume.LastError())) return -2;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileRecord& file = files[i];
        dialog.SetProgress(from + int((to - from) * i / files.size()));
        std::vector<std::uint32_t> damaged;
        bool stopped = false;
        const int n = ReadChain(volume, ChainTag::Of(file),
                                [&](std::uint32_t p, const std::uint8_t* piece, UnitRead) {
                                    if (!piece) damaged.push_back(p);
                                    stopped = dialog.m_nState == -1;
                                    return !stopped;
                                });
        if (stopped) return -1;
        if (n == -2) return -2;
        if (damaged.empty()) continue;
        std::string name = file.name;
        if (!file.extension.empty()) name.append(".").append(file.extension);
        names.push_back(DisplayText(name) + StrFormat(" (#%d): ", int(file.fileNumber)) +
                        PositionsText(damaged));
    }
    dialog.SetProgress(to);
    return 0;
}

std::string DamagedFilesMessage(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        list.append(names[i]).append("\n");
    if (names.size() > kNamesShown)
        list.append(StrFormat(service_text::kAndMoreFiles, int(names.size() - kNamesShown)));
    return StrFormat(service_text::kDamagedFiles, list.c_str());
}

}  // namespace orv

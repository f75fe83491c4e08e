#include "maintenance/diskservice/uncertain_files.h"

#include "fs/name_text.h"
#include "maintenance/diskservice/service_texts.h"
#include "ports/text_format.h"

namespace orv {

namespace {
constexpr std::size_t kNamesShown = 20;
}  // namespace

std::vector<std::string> UncertainFileNames(CVolume& volume, const std::vector<int>& numbers) {
    std::vector<std::string> names;
    for (int number : numbers) {
        std::vector<int> units;
        if (volume.CollectUnits(number, units) == 0) continue;  // given up since
        std::string name;
        if (const Result<FileRecord> entry = volume.ReadEntry(number)) {
            const FileRecord& record = *entry;
            name = record.name;
            if (!record.extension.empty()) name.append(".").append(record.extension);
            name = DisplayText(name) + " ";
        }
        names.push_back(name + StrFormat("(#%d)", number));
    }
    return names;
}

std::string UncertainFilesMessage(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        list.append(names[i]).append("\n");
    if (names.size() > kNamesShown)
        list.append(StrFormat(service_text::kAndMoreFiles, int(names.size() - kNamesShown)));
    return StrFormat(service_text::kUncertainFiles, list.c_str());
}

}  // namespace orv

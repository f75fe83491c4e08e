#include "transfer/host_entry.h"

#include <filesystem>

#include "fs/name_text.h"
#include "host/host_file.h"

namespace orv {

void EntryFromHostFile(const std::string& path, FileRecord& record, int fileNumber) {
    const std::filesystem::path p(path);
    record.name = Utf8Prefix(p.stem().string(), kNameWidth);
    std::string ext = p.extension().string();
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    record.extension = Utf8Prefix(ext, kExtensionWidth);
    HostFileStatus status;
    if (GetHostFileStatus(path, status)) {
        record.modificationTime = status.modificationTime;
        record.attributes = status.attributes;
        record.size = std::uint32_t(status.size);
    }
    record.fileNumber = std::uint16_t(fileNumber);
    record.partNumber = 0;
}

}  // namespace orv

#include "transfer/host_entry.h"

#include <filesystem>

#include "fs/name_text.h"
#include "host/host_file.h"
#include "transfer/document.h"

namespace orv {

namespace {

// Name and extension as the file's name holds them, before either is cut to its field.
void SplitName(const std::filesystem::path& path, std::string& name, std::string& extension) {
    name = path.stem().string();
    extension = path.extension().string();
    if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
}

}  // namespace

void EntryFromHostFile(const std::string& path, FileRecord& record, int fileNumber) {
    std::string name, ext;
    SplitName(path, name, ext);
    record.name = StoredText(name, kNameWidth);
    record.extension = StoredText(ext, kExtensionWidth);
    HostFileStatus status;
    if (GetHostFileStatus(path, status)) {
        record.modificationTime = status.modificationTime;
        record.attributes = status.attributes;
        record.size = std::uint32_t(status.size);
    }
    record.fileNumber = std::uint16_t(fileNumber);
    record.partNumber = 0;
}

StoredName HowNameIsStored(const std::string& fileName) {
    FileRecord record;
    std::string ext;
    std::string name;
    SplitName(fileName, name, ext);
    // Stored whole: the bytes as the add stores them when the field has room for all of them.
    record.name = StoredText(name, std::string::npos);
    record.extension = StoredText(ext, std::string::npos);
    if (record.name.size() > std::size_t(kNameWidth) ||
        record.extension.size() > std::size_t(kExtensionWidth))
        return StoredName::Cut;
    COrvalisDoc::FormatRecord(record);
    return record.displayName == fileName ? StoredName::AsGiven : StoredName::Changed;
}

bool ReadOnlyEntry(const FileRecord& record) {
    return (record.attributes & ATTR_READONLY) != 0;
}

}  // namespace orv

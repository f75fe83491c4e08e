#include "transfer/folder_copy_names.h"

#include <algorithm>

#include "host/host_file.h"
#include "transfer/host_names.h"

namespace orv {

CFolderCopyNames::CFolderCopyNames(std::string folder) : m_folder(std::move(folder)) {
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
}

bool CFolderCopyNames::Taken(const std::string& name) const {
    if (std::find(m_given.begin(), m_given.end(), name) != m_given.end()) return true;
    // Another spelling of a file written here (a file system that folds case).
    return std::any_of(m_written.begin(), m_written.end(), [&](const std::string& path) {
        return SameHostFile(m_folder + name, path);
    });
}

std::string CFolderCopyNames::PathFor(const FileRecord& key) {
    const std::string numbered = key.displayName + " #" + std::to_string(key.fileNumber);
    std::string name = SafeHostName(key.displayName);
    for (int n = 1; Taken(name); ++n)
        name = SafeHostName(n == 1 ? numbered : numbered + "-" + std::to_string(n));
    m_given.push_back(name);
    return m_folder + name;
}

void CFolderCopyNames::Wrote(const std::string& path) {
    m_written.push_back(path);
}

}  // namespace orv

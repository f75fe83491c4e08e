// The host names of one copy of several files into a folder. Names read from a diskette may
// become one host name (control characters shown as '?', '/' made '_', a file system that
// folds case), and a copy must neither replace a file it wrote itself nor ask whether to.
#pragma once

#include <string>
#include <vector>

#include "fs/file_record.h"

namespace orv {

class CFolderCopyNames {
public:
    explicit CFolderCopyNames(std::string folder);

    // The path in the folder for the file: its display name made a single name, or, when that
    // name is given already or names a file this copy wrote, the name with the file's number
    // (" #N"), as a scan's extraction tells such files apart.
    std::string PathFor(const FileRecord& key);
    // The file at path now holds what this copy put there (whole or not).
    void Wrote(const std::string& path);

private:
    bool Taken(const std::string& name) const;

    std::string m_folder;
    std::vector<std::string> m_given;
    std::vector<std::string> m_written;
};

}  // namespace orv

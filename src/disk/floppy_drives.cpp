#include "disk/floppy_drives.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "disk/geometry.h"

namespace orv {

namespace {

namespace fs = std::filesystem;

// The first line of a /sys attribute without the blanks around it; empty when unreadable.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::vector<FloppyDrive> FindFloppyDrives(const std::string& sysRoot) {
    std::vector<FloppyDrive> drives;
    std::error_code ec;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(sysRoot) / "block", ec)) {
        const fs::path dir = entry.path();
        // The size counts 512-byte sectors whatever the device's own sector size.
        if (Attribute(dir / "removable") != "1") continue;
        if (Attribute(dir / "size") != std::to_string(kSectorCount)) continue;
        std::string model = Attribute(dir / "device" / "vendor");
        const std::string name = Attribute(dir / "device" / "model");
        if (!name.empty()) model += model.empty() ? name : " " + name;
        drives.push_back({"/dev/" + dir.filename().string(), model});
    }
    std::sort(drives.begin(), drives.end(),
              [](const FloppyDrive& a, const FloppyDrive& b) { return a.device < b.device; });
    return drives;
}

}  // namespace orv

#include "ui/platform/host_disk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace orv {

namespace {

bool DeviceOf(const std::filesystem::path& p, dev_t& device) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return false;
    device = st.st_dev;
    return true;
}

}  // namespace

std::string FileSystemOf(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    if (ec) return path;
    dev_t device = 0;
    while (!DeviceOf(p, device)) {
        if (!p.has_parent_path() || p.parent_path() == p) return path;
        p = p.parent_path();
    }
    // Climb while the parent lies on the same device.
    for (;;) {
        const std::filesystem::path parent = p.parent_path();
        dev_t parentDevice = 0;
        if (parent == p || !DeviceOf(parent, parentDevice) || parentDevice != device) break;
        p = parent;
    }
    return p.string();
}

std::int64_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages < 0 || pageSize < 0) return -1;
    return std::int64_t(pages) * pageSize;
}

}  // namespace orv

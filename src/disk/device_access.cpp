#include "disk/device_access.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

namespace {

std::string OwningGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "disk";
    const struct group* g = ::getgrgid(st.st_gid);
    return g && g->gr_name && *g->gr_name ? g->gr_name : "disk";
}

}  // namespace

bool DeviceAccessDenied(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return false;
    return ::access(path.c_str(), R_OK) != 0 && (errno == EACCES || errno == EPERM);
}

std::string DeviceAccessAdvice(const std::string& path) {
    const std::string group = OwningGroup(path);
    return "Only members of the group \"" + group + "\" may use " + path +
           ". To join it, run\n    sudo usermod -aG " + group + " $USER\nand log out and in again.";
}

}  // namespace orv

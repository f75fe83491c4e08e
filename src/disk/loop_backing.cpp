#include "disk/loop_backing.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstring>

#include "host/full_io.h"
#include "host/small_file.h"

namespace orv {

namespace {

// The kernel gives the backing file's device in its own encoding (new_encode_dev).
bool SameDevice(std::uint64_t kernelDev, dev_t dev) {
    const unsigned maj = unsigned((kernelDev & 0xfff00) >> 8);
    const unsigned min = unsigned((kernelDev & 0xff) | ((kernelDev >> 12) & 0xfff00));
    return maj == major(dev) && min == minor(dev);
}

// The whole name from sysfs; the status holds only its first 63 bytes.
std::string BackingName(int deviceFd, const loop_info64& info) {
    struct stat st {};
    if (::fstat(deviceFd, &st) == 0) {
        const std::string sysfs = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                                  std::to_string(minor(st.st_rdev)) + "/loop/backing_file";
        std::string text, error;
        if (ReadSideFile(sysfs, text, error) == SideFile::Read) {
            while (!text.empty() && text.back() == '\n') text.pop_back();
            if (!text.empty()) return text;
        }
    }
    const auto* name = reinterpret_cast<const char*>(info.lo_file_name);
    const std::size_t length = ::strnlen(name, LO_NAME_SIZE);
    return length < LO_NAME_SIZE - 1 ? std::string(name, length) : std::string();
}

}  // namespace

UniqueFd OpenLoopBacking(int deviceFd, std::string& path) {
    path.clear();
    loop_info64 info{};
    if (::ioctl(deviceFd, LOOP_GET_STATUS64, &info) != 0) return {};
    const std::string name = BackingName(deviceFd, info);
    if (name.empty()) return {};
    UniqueFd file(RetryOnSignal([&] { return ::open(name.c_str(), O_RDONLY | O_CLOEXEC); }));
    struct stat st {};
    // The name may meanwhile stand for another file: only the device's own one counts.
    if (!file.Valid() || ::fstat(file.Get(), &st) != 0 || st.st_ino != ino_t(info.lo_inode) ||
        !SameDevice(info.lo_device, st.st_dev))
        return {};
    path = name;
    return file;
}

}  // namespace orv

#include "host/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "host/full_io.h"
#include "host/unique_fd.h"

namespace orv {

SideFile ReadSideFile(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    // Not blocking: opening a named pipe for reading would otherwise wait for a writer.
    const UniqueFd fd(
        RetryOnSignal([&] { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }));
    if (!fd.Valid()) {
        if (errno == ENOENT || errno == ENOTDIR) return SideFile::Missing;
        error = path + ": " + std::strerror(errno);
        return SideFile::Refused;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        error = path + ": " + std::strerror(errno);
        return SideFile::Refused;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
        return SideFile::Refused;
    }
    if (st.st_size > kLargestSideFile) {
        error = path + " is larger than 1 MiB";
        return SideFile::Refused;
    }
    // One byte more than the limit tells a file that grew since fstat.
    std::string bytes(std::size_t(kLargestSideFile) + 1, '\0');
    const ssize_t got = ReadFullyAt(fd.Get(), bytes.data(), bytes.size(), 0);
    if (got < 0) {
        error = path + ": " + std::strerror(errno);
        return SideFile::Refused;
    }
    if (got > kLargestSideFile) {
        error = path + " is larger than 1 MiB";
        return SideFile::Refused;
    }
    bytes.resize(std::size_t(got));
    text = std::move(bytes);
    return SideFile::Read;
}

}  // namespace orv

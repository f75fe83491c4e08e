#include "host/full_io.h"

#include <unistd.h>

namespace orv {

ssize_t ReadFullyAt(int fd, void* buffer, std::size_t n, off_t at) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r =
            RetryOnSignal([&] { return ::pread(fd, bytes + done, n - done, at + off_t(done)); });
        if (r < 0) return -1;
        if (r == 0) break;
        done += std::size_t(r);
    }
    return ssize_t(done);
}

namespace {

template <typename WriteSome>
bool WriteAll(std::size_t n, WriteSome&& writeSome) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = RetryOnSignal([&] { return writeSome(done); });
        if (r < 0) return false;
        if (r == 0) {
            errno = EIO;
            return false;
        }
        done += std::size_t(r);
    }
    return true;
}

}  // namespace

bool WriteFullyAt(int fd, const void* data, std::size_t n, off_t at) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    return WriteAll(n, [&](std::size_t done) {
        return ::pwrite(fd, bytes + done, n - done, at + off_t(done));
    });
}

bool WriteFully(int fd, const void* data, std::size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    return WriteAll(n, [&](std::size_t done) { return ::write(fd, bytes + done, n - done); });
}

}  // namespace orv

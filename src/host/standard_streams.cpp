#include "host/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "host/full_io.h"

namespace orv {

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

}  // namespace

bool FillClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (IsOpen(fd)) continue;
        // The lowest free number is this one, since those below it are open; without
        // O_CLOEXEC, so that a program we start finds them filled too.
        const int null = RetryOnSignal([] { return ::open("/dev/null", O_RDWR); });
        if (null < 0) return false;
        if (null != fd) {
            const int moved = ::dup2(null, fd);
            ::close(null);
            if (moved != fd) return false;
        }
    }
    return true;
}

}  // namespace orv

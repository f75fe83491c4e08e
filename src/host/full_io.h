// Whole transfers on a file descriptor. A signal that arrives during a system call (SIGTERM
// while a batch writes, say) interrupts it with EINTR; the call is made again, and a transfer
// that the kernel did in pieces goes on with the rest.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>

namespace orv {

// Calls call() again for as long as it fails with EINTR; its last result.
template <typename Call>
auto RetryOnSignal(Call&& call) {
    auto result = call();
    while (result == -1 && errno == EINTR) result = call();
    return result;
}

// Reads n bytes from offset at, piece by piece; the number read, which is smaller than n only at
// the end of the file, or -1 on an error (errno says which).
ssize_t ReadFullyAt(int fd, void* buffer, std::size_t n, off_t at);
// Writes all n bytes at offset at; false on an error, or with errno EIO when the file took
// nothing more.
bool WriteFullyAt(int fd, const void* data, std::size_t n, off_t at);
// The same at the file position, which moves past what was written.
bool WriteFully(int fd, const void* data, std::size_t n);

}  // namespace orv

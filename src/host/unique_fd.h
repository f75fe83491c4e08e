// Owner of a POSIX file descriptor.
#pragma once

#include <unistd.h>

#include <utility>

namespace orv {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closes and reports whether the close succeeded (a failed close may mean lost data).
    bool Close() {
        if (m_fd < 0) return true;
        const int rc = ::close(std::exchange(m_fd, -1));
        return rc == 0;
    }
    void Reset() { Close(); }

private:
    int m_fd = -1;
};

}  // namespace orv

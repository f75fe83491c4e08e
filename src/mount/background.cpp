#include "mount/background.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/full_io.h"

namespace orv::mount {

bool CBackground::Start(std::string& error) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::string("cannot go to the background: ") + std::strerror(errno);
        return false;
    }
    UniqueFd readEnd(pipeEnds[0]), writeEnd(pipeEnds[1]);
    const pid_t child = ::fork();
    if (child < 0) {
        error = std::string("cannot go to the background: ") + std::strerror(errno);
        return false;
    }
    if (child == 0) {
        m_ready = std::move(writeEnd);
        return true;
    }
    writeEnd.Reset();
    char word = 1;
    const ssize_t n = RetryOnSignal([&] { return ::read(readEnd.Get(), &word, 1); });
    if (n == 1 && word == 0) ::_exit(0);
    // The child ended before it was ready; it said why on the terminal.
    int status = 0;
    RetryOnSignal([&] { return ::waitpid(child, &status, 0); });
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

void CBackground::Ready() {
    if (!m_ready.Valid()) return;
    ::setsid();
    if (::chdir("/") != 0) {
        // Only so that the process holds no folder busy; the paths it uses are absolute.
    }
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO) ::close(null);
    }
    const char word = 0;
    RetryOnSignal([&] { return ::write(m_ready.Get(), &word, 1); });
    m_ready.Reset();
}

}  // namespace orv::mount

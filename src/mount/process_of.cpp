#include "mount/process_of.h"

#include <fstream>
#include <string>

namespace orv::mount {

pid_t ProcessOf(pid_t thread) {
    std::ifstream status("/proc/" + std::to_string(thread) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 5, "Tgid:") == 0) return pid_t(std::stol(line.substr(5)));
    return thread;
}

}  // namespace orv::mount

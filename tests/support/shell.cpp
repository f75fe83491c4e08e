#include "support/shell.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace orv::tests {

bool OnPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string d; std::getline(dirs, d, ':');)
        if (!d.empty() && ::access((d + "/" + tool).c_str(), X_OK) == 0) return true;
    return false;
}

int Capture(const std::string& line, std::string& output) {
    output.clear();
    std::FILE* pipe = ::popen((line + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char chunk[512];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        output.append(chunk, n);
    const int status = ::pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Quietly(const std::string& line) {
    std::string ignored;
    Capture(line, ignored);
}

}  // namespace orv::tests

#include "mount/mount_log.h"

#include <syslog.h>

#include <cstdio>

namespace orv::mount {

void CMountLog::Say(const std::string& text) {
    if (!m_bSystemLog) {
        std::fprintf(stderr, "orvalis-mount: %s\n", text.c_str());
        return;
    }
    // A log line is one line.
    std::string line = text;
    for (char& c : line)
        if (c == '\n') c = ' ';
    ::syslog(LOG_WARNING, "%s", line.c_str());
}

void CMountLog::ToSystemLog() {
    if (m_bSystemLog) return;
    ::openlog("orvalis-mount", LOG_PID, LOG_USER);
    m_bSystemLog = true;
}

}  // namespace orv::mount

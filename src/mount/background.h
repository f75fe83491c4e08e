// Going to the background as a mount program does: the command returns once the folder is
// mounted, with the status of the start, and the process that stays (which serves the folder
// and holds the diskette's lock) is the one that did all the work. Until it is ready it shares
// the terminal, so that what goes wrong is said there.
#pragma once

#include <string>

#include "host/unique_fd.h"

namespace orv::mount {

class CBackground {
public:
    // Forks. The caller goes on in the child; the parent waits for Ready (exit status 0) or
    // for the child's end (its exit status) and never returns. False with the reason when no
    // child could be made.
    bool Start(std::string& error);
    // The folder is mounted: the command returns, and the child leaves the terminal (a session
    // of its own, standard streams on /dev/null, the root as its folder).
    void Ready();

private:
    UniqueFd m_ready;  // the child's end of the pipe the parent waits on
};

}  // namespace orv::mount

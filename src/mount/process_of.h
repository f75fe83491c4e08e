// The process of a thread: FUSE names the thread that made a request, and a program may create
// a file in one thread and close it in another.
#pragma once

#include <sys/types.h>

namespace orv::mount {

// The thread group of thread, from /proc; thread itself when that cannot be read.
pid_t ProcessOf(pid_t thread);

}  // namespace orv::mount

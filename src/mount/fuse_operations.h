// The libfuse callbacks of the folder: each passes the request to the CDisketteFolder that the
// mount was made with, and turns a failure inside it into EIO (no exception reaches libfuse).
#pragma once

#define FUSE_USE_VERSION 31
#include <fuse.h>

namespace orv::mount {

fuse_operations FolderOperations();

}  // namespace orv::mount

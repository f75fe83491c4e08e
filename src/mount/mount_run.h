// One run of orvalis-mount: the diskette put into drive A:, held and opened, its folder mounted
// and served until the mount ends, and the diskette closed again.
#pragma once

#include "mount/background.h"
#include "mount/mount_options.h"

namespace orv::mount {

// The exit status: 0 when the folder was served, 1 when it could not be mounted (the reason
// said on the terminal). background is told when the folder is mounted; null in the
// foreground.
int RunMount(const MountOptions& options, CBackground* background);

}  // namespace orv::mount

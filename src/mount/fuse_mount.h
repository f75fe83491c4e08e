// The kernel's side of the folder: a FUSE mount served by libfuse's single-threaded loop, so
// that the document sees one request at a time and a request under way when the mount is told
// to end (unmount, SIGTERM, SIGINT, SIGHUP) finishes first.
#pragma once

#include <memory>
#include <string>

#include "mount/diskette_folder.h"
#include "mount/mount_options.h"

struct fuse;

namespace orv::mount {

class CFuseMount {
public:
    CFuseMount();
    ~CFuseMount();
    CFuseMount(const CFuseMount&) = delete;
    CFuseMount& operator=(const CFuseMount&) = delete;

    // Mounts the folder; false with the reason (libfuse also says its own on the terminal).
    bool Mount(const MountOptions& options, bool readOnly, CDisketteFolder& folder,
               std::string& error);
    // Serves until the folder is unmounted or the program is told to end; false when the
    // loop failed.
    bool Serve();
    // Takes the folder away from the kernel (also when it went away already).
    void Unmount();

private:
    struct DestroyFuse {
        void operator()(fuse* f) const;
    };
    std::unique_ptr<fuse, DestroyFuse> m_fuse;
    bool m_bMounted = false;
    bool m_bSignalsSet = false;
};

}  // namespace orv::mount

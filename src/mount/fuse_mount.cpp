#include "mount/fuse_mount.h"

#include "mount/fuse_operations.h"

namespace orv::mount {

namespace {

// An option's value for libfuse, which splits its option lists at commas.
std::string Escaped(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == ',' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

struct FreeArgs {
    void operator()(fuse_args* args) const { fuse_opt_free_args(args); }
};

}  // namespace

void CFuseMount::DestroyFuse::operator()(fuse* f) const {
    fuse_destroy(f);
}

CFuseMount::CFuseMount() = default;

CFuseMount::~CFuseMount() {
    Unmount();
}

bool CFuseMount::Mount(const MountOptions& options, bool readOnly, CDisketteFolder& folder,
                       std::string& error) {
    fuse_args args = FUSE_ARGS_INIT(0, nullptr);
    const std::unique_ptr<fuse_args, FreeArgs> freeArgs(&args);
    // The kernel checks the modes shown; only the user who mounted reaches the folder unless
    // allow_other says otherwise.
    std::string own = "fsname=" + Escaped(options.source) + ",subtype=orvalis,default_permissions";
    if (readOnly) own += ",ro";
    bool ok = fuse_opt_add_arg(&args, "orvalis-mount") == 0 && fuse_opt_add_arg(&args, "-o") == 0 &&
              fuse_opt_add_arg(&args, own.c_str()) == 0;
    if (options.debug) ok = ok && fuse_opt_add_arg(&args, "-odebug") == 0;
    for (const std::string& option : options.fuseOptions)
        ok = ok && fuse_opt_add_arg(&args, "-o") == 0 &&
             fuse_opt_add_arg(&args, option.c_str()) == 0;
    if (!ok) {
        error = "out of memory";
        return false;
    }
    const fuse_operations ops = FolderOperations();
    m_fuse.reset(fuse_new(&args, &ops, sizeof ops, &folder));
    if (!m_fuse) {
        error = "the mount options were refused";
        return false;
    }
    if (fuse_mount(m_fuse.get(), options.mountPoint.c_str()) != 0) {
        m_fuse.reset();
        error = "cannot mount on " + options.mountPoint;
        return false;
    }
    m_bMounted = true;
    if (fuse_set_signal_handlers(fuse_get_session(m_fuse.get())) != 0) {
        Unmount();
        error = "cannot take the signals that end the mount";
        return false;
    }
    m_bSignalsSet = true;
    return true;
}

bool CFuseMount::Serve() {
    // 0 when unmounted, the signal's number when told to end, -errno when the loop failed.
    return m_fuse && fuse_loop(m_fuse.get()) >= 0;
}

void CFuseMount::Unmount() {
    if (!m_fuse) return;
    if (m_bSignalsSet) fuse_remove_signal_handlers(fuse_get_session(m_fuse.get()));
    m_bSignalsSet = false;
    if (m_bMounted) fuse_unmount(m_fuse.get());
    m_bMounted = false;
    m_fuse.reset();
}

}  // namespace orv::mount

#include "mount/fuse_operations.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "mount/diskette_folder.h"
#include "mount/process_of.h"

namespace orv::mount {

namespace {

CDisketteFolder& Folder() {
    return *static_cast<CDisketteFolder*>(fuse_get_context()->private_data);
}

std::uint64_t HandleIn(const fuse_file_info* fi) {
    return fi ? fi->fh : 0;
}

// The process that made the request.
pid_t Caller() {
    return ProcessOf(fuse_get_context()->pid);
}

template <typename Call>
auto Guarded(Call call) -> decltype(call()) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return -ENOMEM;
    } catch (...) {
        return -EIO;
    }
}

void* Init(fuse_conn_info*, fuse_config* config) {
    // A file removed while it is open goes at once: renaming it aside is what this folder
    // cannot do.
    config->hard_remove = 1;
    config->use_ino = 0;
    config->direct_io = 0;
    config->kernel_cache = 0;
    return fuse_get_context()->private_data;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* fi) {
    return Guarded([&] { return Folder().GetAttr(path, *st, HandleIn(fi)); });
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    return Guarded([&] {
        std::vector<std::string> names;
        const int rc = Folder().ReadDir(path, names);
        if (rc != 0) return rc;
        for (const std::string& name : names)
            if (fill(buffer, name.c_str(), nullptr, 0, fuse_fill_dir_flags(0)) != 0) break;
        return 0;
    });
}

int Open(const char* path, fuse_file_info* fi) {
    return Guarded([&] {
        std::uint64_t handle = 0;
        bool directIo = false;
        const int rc = Folder().Open(path, fi->flags, handle, directIo);
        if (rc != 0) return rc;
        fi->fh = handle;
        fi->direct_io = directIo ? 1 : 0;
        fi->keep_cache = 0;
        return 0;
    });
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
    return Guarded([&] {
        std::uint64_t handle = 0;
        const int rc = Folder().Create(path, mode, Caller(), handle);
        if (rc == 0) fi->fh = handle;
        return rc;
    });
}

int Read(const char*, char* data, size_t size, off_t offset, fuse_file_info* fi) {
    return Guarded([&] { return int(Folder().Read(HandleIn(fi), data, size, offset)); });
}

int Write(const char*, const char* data, size_t size, off_t offset, fuse_file_info* fi) {
    return Guarded([&] { return int(Folder().Write(HandleIn(fi), data, size, offset)); });
}

int Flush(const char*, fuse_file_info* fi) {
    return Guarded([&] { return Folder().Flush(HandleIn(fi), Caller()); });
}

int Release(const char*, fuse_file_info* fi) {
    return Guarded([&] { return Folder().Release(HandleIn(fi)); });
}

// A file being written reaches the diskette whole at its close, which reports whether it did,
// and a stored file never changes: a sync has nothing to wait for.
int Fsync(const char*, int, fuse_file_info*) {
    return 0;
}

int Unlink(const char* path) {
    return Guarded([&] { return Folder().Unlink(path); });
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
    return Guarded([&] { return Folder().Truncate(path, size, HandleIn(fi)); });
}

int Utimens(const char* path, const struct timespec times[2], fuse_file_info* fi) {
    return Guarded([&] { return Folder().SetTimes(path, times, HandleIn(fi)); });
}

int Chmod(const char* path, mode_t mode, fuse_file_info* fi) {
    return Guarded([&] { return Folder().SetMode(path, mode, HandleIn(fi)); });
}

int Chown(const char* path, uid_t uid, gid_t gid, fuse_file_info*) {
    return Guarded([&] { return Folder().SetOwner(path, uid, gid); });
}

int StatFs(const char*, struct statvfs* st) {
    return Guarded([&] { return Folder().StatFs(*st); });
}

int GetXattr(const char* path, const char* name, char* value, size_t size) {
    return Guarded([&] { return int(Folder().GetAttribute(path, name, value, size)); });
}

int ListXattr(const char* path, char* list, size_t size) {
    return Guarded([&] { return int(Folder().ListAttributes(path, list, size)); });
}

int Refused() {
    return Guarded([] { return Folder().Refused(); });
}

int Unsupported() {
    return Guarded([] { return Folder().Unsupported(); });
}

int MkDir(const char*, mode_t) {
    return Refused();
}
int RmDir(const char*) {
    return Refused();
}
int MkNod(const char*, mode_t, dev_t) {
    return Refused();
}
int SymLink(const char*, const char*) {
    return Refused();
}
int Link(const char*, const char*) {
    return Refused();
}
int Rename(const char*, const char*, unsigned int) {
    return Unsupported();
}
int SetXattr(const char*, const char*, const char*, size_t, int) {
    return Unsupported();
}
int RemoveXattr(const char*, const char*) {
    return Unsupported();
}

}  // namespace

fuse_operations FolderOperations() {
    fuse_operations ops{};
    ops.init = Init;
    ops.getattr = GetAttr;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.create = Create;
    ops.read = Read;
    ops.write = Write;
    ops.flush = Flush;
    ops.release = Release;
    ops.fsync = Fsync;
    ops.unlink = Unlink;
    ops.truncate = Truncate;
    ops.utimens = Utimens;
    ops.chmod = Chmod;
    ops.chown = Chown;
    ops.statfs = StatFs;
    ops.getxattr = GetXattr;
    ops.listxattr = ListXattr;
    ops.setxattr = SetXattr;
    ops.removexattr = RemoveXattr;
    ops.mkdir = MkDir;
    ops.rmdir = RmDir;
    ops.mknod = MkNod;
    ops.symlink = SymLink;
    ops.link = Link;
    ops.rename = Rename;
    return ops;
}

}  // namespace orv::mount

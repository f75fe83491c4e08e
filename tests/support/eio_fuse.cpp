// eio-fuse: a diskette image served as the one file "disk" of a read-only FUSE file system,
// whose reads fail with EIO wherever they touch a chosen sector. Put under a loop device, it
// gives the tests a block device with real kernel read errors, the way a worn diskette in a USB
// drive fails. Every open is direct_io (and nothing is cached), so the kernel passes each read
// through as it was asked for: a failing sector fails only the requests that cover it.
//
//   eio-fuse [-f] IMAGE SECTORS MOUNTPOINT
//     SECTORS   the failing 512-byte sectors: "70,100-104", or "none"
//     -f        stay in the foreground; otherwise the program returns once the file system is
//               mounted and serves it in the background until it is unmounted
//               (fusermount3 -u MOUNTPOINT)
//   Exit status: 0 served (or mounted, in the background), 2 usage or a bad IMAGE or SECTORS,
//   3 the file system could not be mounted here, 1 another failure.
#define FUSE_USE_VERSION 31
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr off_t kSectorSize = 512;
constexpr char kFileName[] = "disk";
constexpr char kFilePath[] = "/disk";

struct Served {
    int fd = -1;
    off_t size = 0;
    timespec time{};
    std::vector<bool> failing;  // one flag per sector of the image

    bool Touches(off_t offset, size_t length) const {
        const off_t last = (offset + off_t(length) - 1) / kSectorSize;
        for (off_t s = offset / kSectorSize; s <= last; ++s)
            if (failing[std::size_t(s)]) return true;
        return false;
    }
};

Served& State() {
    return *static_cast<Served*>(fuse_get_context()->private_data);
}

bool ParseNumber(std::string_view text, long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

// "70,100-104" or "none" into one flag per sector; false with a reason on anything else.
bool ParseSectors(std::string_view text, long sectors, std::vector<bool>& failing,
                  std::string& error) {
    failing.assign(std::size_t(sectors), false);
    if (text == "none") return true;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        long first = 0, last = 0;
        const bool ok = dash == std::string_view::npos
                            ? ParseNumber(item, first) && ParseNumber(item, last)
                            : ParseNumber(item.substr(0, dash), first) &&
                                  ParseNumber(item.substr(dash + 1), last);
        if (!ok || first > last) {
            error = "not a sector or a range of sectors: \"" + std::string(item) + "\"";
            return false;
        }
        if (last >= sectors) {
            error = "sector " + std::to_string(last) + " is not in the image (sectors 0.." +
                    std::to_string(sectors - 1) + ")";
            return false;
        }
        for (long s = first; s <= last; ++s) failing[std::size_t(s)] = true;
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

void* Init(fuse_conn_info*, fuse_config* config) {
    config->direct_io = 1;
    config->kernel_cache = 0;
    return fuse_get_context()->private_data;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    *st = {};
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0555;
        st->st_nlink = 2;
        return 0;
    }
    if (std::strcmp(path, kFilePath) != 0) return -ENOENT;
    st->st_mode = S_IFREG | 0444;
    st->st_nlink = 1;
    st->st_size = State().size;
    st->st_mtim = State().time;
    st->st_blksize = kSectorSize;
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    if (std::strcmp(path, "/") != 0) return -ENOENT;
    const auto none = fuse_fill_dir_flags(0);
    fill(buffer, ".", nullptr, 0, none);
    fill(buffer, "..", nullptr, 0, none);
    fill(buffer, kFileName, nullptr, 0, none);
    return 0;
}

int Open(const char* path, fuse_file_info* info) {
    if (std::strcmp(path, kFilePath) != 0) return -ENOENT;
    if ((info->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    // The kernel must neither cache nor merge: each read reaches us as it was asked for.
    info->direct_io = 1;
    info->keep_cache = 0;
    return 0;
}

int Read(const char*, char* buffer, size_t length, off_t offset, fuse_file_info*) {
    const Served& served = State();
    if (offset < 0) return -EINVAL;
    if (offset >= served.size || length == 0) return 0;
    if (off_t(length) > served.size - offset) length = size_t(served.size - offset);
    if (served.Touches(offset, length)) return -EIO;
    size_t done = 0;
    while (done < length) {
        const ssize_t r = ::pread(served.fd, buffer + done, length - done, offset + off_t(done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -errno;
        if (r == 0) break;  // the image shrank under us: a short read, as a file gives
        done += size_t(r);
    }
    return int(done);
}

struct FreeArgs {
    void operator()(fuse_args* args) const { fuse_opt_free_args(args); }
};
struct DestroyFuse {
    void operator()(fuse* f) const { fuse_destroy(f); }
};

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s [-f] IMAGE SECTORS MOUNTPOINT\n", program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool foreground = false;
    std::vector<const char*> words;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-f") == 0)
            foreground = true;
        else
            words.push_back(argv[i]);
    }
    if (words.size() != 3) return Usage(argv[0]);
    const char* imagePath = words[0];
    const char* mountPoint = words[2];

    Served served;
    served.fd = ::open(imagePath, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (served.fd < 0 || ::fstat(served.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "eio-fuse: %s: %s\n", imagePath,
                     served.fd < 0 ? std::strerror(errno) : "not a regular file");
        return 2;
    }
    served.size = st.st_size;
    served.time = st.st_mtim;
    std::string error;
    if (!ParseSectors(words[1], long((served.size + kSectorSize - 1) / kSectorSize), served.failing,
                      error)) {
        std::fprintf(stderr, "eio-fuse: %s\n", error.c_str());
        return 2;
    }

    fuse_operations ops{};
    ops.init = Init;
    ops.getattr = GetAttr;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.read = Read;

    fuse_args args = FUSE_ARGS_INIT(0, nullptr);
    const std::unique_ptr<fuse_args, FreeArgs> freeArgs(&args);
    if (fuse_opt_add_arg(&args, argv[0]) != 0 || fuse_opt_add_arg(&args, "-o") != 0 ||
        fuse_opt_add_arg(&args, "ro,fsname=eio-fuse,subtype=eio-fuse") != 0)
        return 1;
    const std::unique_ptr<fuse, DestroyFuse> fs(fuse_new(&args, &ops, sizeof ops, &served));
    if (!fs) return 1;
    if (fuse_mount(fs.get(), mountPoint) != 0) {
        std::fprintf(stderr, "eio-fuse: cannot mount on %s\n", mountPoint);
        return 3;
    }
    // In the background the caller gets its exit status only now, with the mount in place.
    if (fuse_daemonize(foreground ? 1 : 0) != 0 ||
        fuse_set_signal_handlers(fuse_get_session(fs.get())) != 0) {
        fuse_unmount(fs.get());
        return 1;
    }
    const int result = fuse_loop(fs.get());
    fuse_remove_signal_handlers(fuse_get_session(fs.get()));
    fuse_unmount(fs.get());
    ::close(served.fd);
    return result == 0 ? 0 : 1;
}

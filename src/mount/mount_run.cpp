#include "mount/mount_run.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "disk/drive.h"
#include "mount/diskette_folder.h"
#include "mount/fuse_mount.h"
#include "mount/mount_log.h"
#include "mount/mount_ports.h"
#include "transfer/document.h"

namespace orv::mount {

namespace {

// The private folder where files being created wait for their close; removed with whatever
// is left in it.
class CStagingFolder {
public:
    bool Create(std::string& error) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvalis-mount-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            error = "cannot make a private folder for the files being written (" + pattern +
                    "): " + std::strerror(errno);
            return false;
        }
        m_path = pattern;
        return true;
    }
    ~CStagingFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

int RunMount(const MountOptions& options, CBackground* background) {
    CMountLog log;
    CDrive drive;
    drive.SetTrackBuffer(true);
    std::string error;
    if (!drive.Insert(options.source, error, MediumOptions{options.mapfile})) {
        log.Say(error);
        return 1;
    }
    // Held for the whole mount, whatever the document does with its own hold: another
    // program of ours is refused, and told that this one has the diskette.
    const DriveLock lock(drive);
    if (!lock.Held()) {
        log.Say(lock.Error());
        return 1;
    }
    bool readWrite = options.readWrite;
    if (readWrite && !drive.FormatTakesWrites()) {
        log.Say(drive.WriteRefusal());
        return 1;
    }
    // A read-only image file is mounted as a write-protected diskette would be: its files can
    // still be read, and the first line of the refusal tells how to make it writable.
    if (readWrite && drive.WriteProtected()) {
        const std::string refusal = drive.WriteRefusal();
        log.Say(refusal.empty() ? options.source + " is write-protected: mounted read-only."
                                : refusal.substr(0, refusal.find('\n')) + " Mounted read-only.");
        readWrite = false;
    }

    CMountUserPort user(log);
    CInlineProgress progress;
    COrvalisDoc doc(drive, DocPorts{&user, &progress, nullptr});
    if (const int rc = doc.OpenDiskette(); rc != 0) {
        log.Say(rc == -4 ? options.source + " is not an Orvalis diskette: nothing mounted."
                         : doc.OpenErrorMessage(rc));
        return 1;
    }
    if (readWrite && doc.CopiesDiffer()) {
        log.Say(options.source +
                ": the table copies differ, nothing may be written until the "
                "disk service has repaired them: mounted read-only.");
        readWrite = false;
    }

    std::optional<CStagingFolder> staging;
    FolderSettings settings;
    settings.readWrite = readWrite;
    settings.filler = options.filler;
    settings.uid = ::getuid();
    settings.gid = ::getgid();
    if (readWrite) {
        if (!staging.emplace().Create(error)) {
            log.Say(error);
            return 1;
        }
        settings.stagingFolder = staging->Path();
    }
    CDisketteFolder folder(doc, log, settings);
    CFuseMount fuse;
    if (!fuse.Mount(options, !readWrite, folder, error)) {
        log.Say(error);
        return 1;
    }
    if (background) {
        log.ToSystemLog();
        background->Ready();
    }
    const bool served = fuse.Serve();
    // No request comes after this; a file still being written was never closed, and goes.
    fuse.Unmount();
    folder.Shutdown();
    doc.CloseDiskette();
    if (!served) log.Say("the mount on " + options.mountPoint + " ended with an error");
    return served ? 0 : 1;
}

}  // namespace orv::mount

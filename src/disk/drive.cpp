#include "disk/drive.h"

#include <sys/stat.h>

#include "disk/block_device_medium.h"
#include "disk/image_medium.h"
#include "disk/imd_medium.h"
#include "disk/rotation_order.h"

namespace orv {

std::shared_ptr<IMedium> LoadMedium(const std::string& path, std::string& error,
                                    const MediumOptions& options) {
    if (IsImdFile(path)) {
        if (!options.mapfile.empty()) {
            error = path + " is an ImageDisk file, which records what read itself: the mapfile " +
                    options.mapfile + " was not used, and nothing was done.";
            return nullptr;
        }
        return LoadImdMedium(path, error);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
        if (!options.mapfile.empty()) {
            error = path + " is a drive, not an image: the mapfile " + options.mapfile +
                    " describes an image, and nothing was done.";
            return nullptr;
        }
        auto dev = std::make_shared<BlockDeviceMedium>();
        if (!dev->Load(path, error)) return nullptr;
        return dev;
    }
    auto image = std::make_shared<ImageMedium>();
    if (!image->Load(path, error, options.mapfile)) return nullptr;
    return image;
}

namespace {

// Two paths of one medium: the same file however spelled, or nodes of the same block device.
bool SameMedium(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    if (S_ISBLK(sa.st_mode) && S_ISBLK(sb.st_mode)) return sa.st_rdev == sb.st_rdev;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

void CDrive::ReleaseHeldOut(const std::string& path) {
    std::erase_if(m_heldOut, [&](HeldOut& held) {
        if (!SameMedium(held.path, path)) return false;
        held.medium->Unlock();
        return true;
    });
}

bool CDrive::Insert(const std::string& path, std::string& error, const MediumOptions& options) {
    {
        // The medium coming back is opened anew, and its hold must be free for it (a device
        // may even refuse a second open while the first one lasts).
        std::lock_guard lock(m_mutex);
        ReleaseHeldOut(path);
    }
    auto medium = LoadMedium(path, error, options);
    if (!medium) return false;
    InsertMedium(std::move(medium), path);
    return true;
}

void CDrive::InsertMedium(std::shared_ptr<IMedium> medium, std::string path) {
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
    std::lock_guard lock(m_mutex);
    // A held drive holds what comes into it, and keeps holding what leaves it: the same file
    // opened anew takes the hold over (the old one lets go first), and a new one that another
    // program has refuses every request.
    if (m_locks > 0) {
        if (m_medium) {
            if (SameMedium(m_path, path))
                m_medium->Unlock();
            else
                m_heldOut.push_back(HeldOut{m_medium, m_path});
        }
        ReleaseHeldOut(path);
        std::string ignored;
        if (medium) medium->Lock(ignored);
    }
    m_medium = std::move(medium);
    m_path = std::move(path);
    ++m_changes;
}

std::uint64_t CDrive::Changes() const {
    std::lock_guard lock(m_mutex);
    return m_changes;
}

bool CDrive::Lock(std::string& error) {
    std::lock_guard lock(m_mutex);
    if (m_locks == 0 && m_medium && !m_medium->Lock(error)) {
        m_medium->Unlock();
        return false;
    }
    ++m_locks;
    return true;
}

void CDrive::Unlock() {
    std::lock_guard lock(m_mutex);
    if (m_locks == 0 || --m_locks > 0) return;
    if (m_medium) m_medium->Unlock();
    for (HeldOut& held : m_heldOut) held.medium->Unlock();
    m_heldOut.clear();
}

void CDrive::SetTrackBuffer(bool on) {
    std::lock_guard io(m_ioMutex);
    m_bTrackBuffer = on;
    m_buffer.Drop();
}

void CDrive::Eject() {
    InsertMedium(nullptr);
}

std::string CDrive::Path() const {
    std::lock_guard lock(m_mutex);
    return m_path;
}

std::shared_ptr<IMedium> CDrive::Medium() const {
    std::lock_guard lock(m_mutex);
    return m_medium;
}

std::string CDrive::WriteRefusal() const {
    const auto medium = Medium();
    return medium ? medium->WriteRefusal() : std::string();
}

bool CDrive::WriteProtected() const {
    const auto medium = Medium();
    return medium && medium->WriteProtected();
}

bool CDrive::FormatTakesWrites() const {
    const auto medium = Medium();
    return !medium || medium->FormatTakesWrites();
}

Status CDrive::Transfer(IMedium& medium, int first, int count, std::uint8_t* readInto,
                        const std::uint8_t* writeFrom) {
    // A whole cylinder goes in the order the drive passes it fastest: the medium requests are
    // parts of one request, which succeeds only when every part does.
    for (const SectorRun& run : RotationOrder(first, count, m_lastSector)) {
        const std::size_t offset = std::size_t(run.first - first) * kSectorSize;
        if (m_bTimed) m_timing.Request(run.first, run.count);
        Status done;
        if (readInto) {
            ++m_mediumReadRequests;
            m_mediumReadSectors += run.count;
            done = medium.Read(run.first, run.count, readInto + offset);
        } else {
            done = medium.Write(run.first, run.count, writeFrom + offset);
        }
        if (!done) {
            m_lastSector = 0;
            // A medium that cannot tell its cause failed the request's sectors.
            return readInto ? Status::ReadFailure(done.Error())
                            : Status::WriteFailure(done.Error());
        }
        m_lastSector = ToChs(run.first + run.count - 1).sector;
    }
    return {};
}

Status CDrive::MediumRead(IMedium& medium, int first, int count, std::uint8_t* buffer) {
    return Transfer(medium, first, count, buffer, nullptr);
}

Status CDrive::Read(int first, int count, std::uint8_t* buffer) {
    ++m_readRequests;
    m_readSectors += count;
    auto medium = Medium();
    if (!medium) return Status::Failure(IoError::NoMedium);
    std::lock_guard io(m_ioMutex);
    if (!m_bTrackBuffer) return MediumRead(*medium, first, count, buffer);
    return m_buffer.Read(first, count, buffer, [&](int f, int c, std::uint8_t* b) {
        return MediumRead(*medium, f, c, b);
    });
}

Status CDrive::ReadDirect(int first, int count, std::uint8_t* buffer) {
    ++m_readRequests;
    m_readSectors += count;
    auto medium = Medium();
    if (!medium) return Status::Failure(IoError::NoMedium);
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
    return MediumRead(*medium, first, count, buffer);
}

void CDrive::DropBuffer() {
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
}

Status CDrive::Write(int first, int count, const std::uint8_t* buffer) {
    ++m_writeRequests;
    m_writeSectors += count;
    auto medium = Medium();
    if (!medium) return Status::Failure(IoError::NoMedium);
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
    return Transfer(*medium, first, count, nullptr, buffer);
}

Status CDrive::Flush() {
    auto medium = Medium();
    if (!medium) return Status::Failure(IoError::NoMedium);
    std::lock_guard io(m_ioMutex);
    ++m_flushes;
    const Status done = medium->Flush();
    if (done) return {};
    // A medium that cannot tell why its barrier failed failed on the host's side.
    return Status::Failure(done.Error() == IoError::None ? IoError::HostError : done.Error());
}

DriveStats CDrive::Stats() const {
    DriveStats s;
    s.readRequests = m_readRequests;
    s.readSectors = m_readSectors;
    s.writeRequests = m_writeRequests;
    s.writeSectors = m_writeSectors;
    s.mediumReadRequests = m_mediumReadRequests;
    s.mediumReadSectors = m_mediumReadSectors;
    s.flushes = m_flushes;
    std::lock_guard io(m_ioMutex);
    s.bufferHits = m_buffer.Hits();
    s.modelledMs = m_timing.ElapsedMs();
    return s;
}

void CDrive::ResetStats() {
    m_readRequests = m_readSectors = m_writeRequests = m_writeSectors = 0;
    m_mediumReadRequests = m_mediumReadSectors = 0;
    m_flushes = 0;
    m_timing.Reset();
    m_lastSector = 0;
}

}  // namespace orv

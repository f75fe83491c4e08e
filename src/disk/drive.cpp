#include "disk/drive.h"

#include <sys/stat.h>

#include "disk/block_device_medium.h"
#include "disk/image_medium.h"
#include "disk/imd_medium.h"
#include "disk/rotation_order.h"

namespace orv {

std::shared_ptr<IMedium> LoadMedium(const std::string& path, std::string& error) {
    if (IsImdFile(path)) return LoadImdMedium(path, error);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
        auto dev = std::make_shared<BlockDeviceMedium>();
        if (!dev->Load(path, error)) return nullptr;
        return dev;
    }
    auto image = std::make_shared<ImageMedium>();
    if (!image->Load(path, error)) return nullptr;
    return image;
}

bool CDrive::Insert(const std::string& path, std::string& error) {
    auto medium = LoadMedium(path, error);
    if (!medium) return false;
    InsertMedium(std::move(medium), path);
    return true;
}

void CDrive::InsertMedium(std::shared_ptr<IMedium> medium, std::string path) {
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
    std::lock_guard lock(m_mutex);
    // A held drive holds what comes into it: the old medium lets go first (it may be the same
    // file opened anew), and a new one that another program has refuses every request.
    if (m_locks > 0) {
        if (m_medium) m_medium->Unlock();
        std::string ignored;
        if (medium) medium->Lock(ignored);
    }
    m_medium = std::move(medium);
    m_path = std::move(path);
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
    if (m_locks > 0 && --m_locks == 0 && m_medium) m_medium->Unlock();
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

namespace {

// What a failure of a medium that cannot tell its cause was taken for: the request's sectors.
IoError CauseOf(const IMedium& medium, IoError sectorCause) {
    const IoError cause = medium.LastError();
    return cause == IoError::None ? sectorCause : cause;
}

bool Report(bool ok, IoError cause, IoError* out) {
    if (out) *out = ok ? IoError::None : cause;
    return ok;
}

}  // namespace

bool CDrive::Transfer(IMedium& medium, int first, int count, std::uint8_t* readInto,
                      const std::uint8_t* writeFrom, IoError& cause) {
    // A whole cylinder goes in the order the drive passes it fastest: the medium requests are
    // parts of one request, which succeeds only when every part does.
    for (const SectorRun& run : RotationOrder(first, count, m_lastSector)) {
        const std::size_t offset = std::size_t(run.first - first) * kSectorSize;
        if (m_bTimed) m_timing.Request(run.first, run.count);
        bool ok;
        if (readInto) {
            ++m_mediumReadRequests;
            m_mediumReadSectors += run.count;
            ok = medium.Read(run.first, run.count, readInto + offset);
        } else {
            ok = medium.Write(run.first, run.count, writeFrom + offset);
        }
        if (!ok) {
            m_lastSector = 0;
            cause = CauseOf(medium, readInto ? IoError::Unreadable : IoError::Unwritable);
            return false;
        }
        m_lastSector = ToChs(run.first + run.count - 1).sector;
    }
    cause = IoError::None;
    return true;
}

bool CDrive::MediumRead(IMedium& medium, int first, int count, std::uint8_t* buffer,
                        IoError& cause) {
    return Transfer(medium, first, count, buffer, nullptr, cause);
}

bool CDrive::Read(int first, int count, std::uint8_t* buffer, IoError* cause) {
    ++m_readRequests;
    m_readSectors += count;
    auto medium = Medium();
    if (!medium) return Report(false, IoError::NoMedium, cause);
    std::lock_guard io(m_ioMutex);
    IoError last = IoError::None;
    bool ok;
    if (!m_bTrackBuffer) {
        ok = MediumRead(*medium, first, count, buffer, last);
    } else {
        ok = m_buffer.Read(first, count, buffer, [&](int f, int c, std::uint8_t* b) {
            return MediumRead(*medium, f, c, b, last);
        });
    }
    return Report(ok, last, cause);
}

bool CDrive::ReadDirect(int first, int count, std::uint8_t* buffer, IoError* cause) {
    ++m_readRequests;
    m_readSectors += count;
    auto medium = Medium();
    if (!medium) return Report(false, IoError::NoMedium, cause);
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
    IoError last = IoError::None;
    const bool ok = MediumRead(*medium, first, count, buffer, last);
    return Report(ok, last, cause);
}

void CDrive::DropBuffer() {
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
}

bool CDrive::Write(int first, int count, const std::uint8_t* buffer, IoError* cause) {
    ++m_writeRequests;
    m_writeSectors += count;
    auto medium = Medium();
    if (!medium) return Report(false, IoError::NoMedium, cause);
    std::lock_guard io(m_ioMutex);
    m_buffer.Drop();
    IoError last = IoError::None;
    const bool ok = Transfer(*medium, first, count, nullptr, buffer, last);
    return Report(ok, last, cause);
}

DriveStats CDrive::Stats() const {
    DriveStats s;
    s.readRequests = m_readRequests;
    s.readSectors = m_readSectors;
    s.writeRequests = m_writeRequests;
    s.writeSectors = m_writeSectors;
    s.mediumReadRequests = m_mediumReadRequests;
    s.mediumReadSectors = m_mediumReadSectors;
    std::lock_guard io(m_ioMutex);
    s.bufferHits = m_buffer.Hits();
    s.modelledMs = m_timing.ElapsedMs();
    return s;
}

void CDrive::ResetStats() {
    m_readRequests = m_readSectors = m_writeRequests = m_writeSectors = 0;
    m_mediumReadRequests = m_mediumReadSectors = 0;
    m_timing.Reset();
    m_lastSector = 0;
}

}  // namespace orv

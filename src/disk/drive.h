// Drive A:, a slot. Whatever medium sits in it when a request arrives is what the request reads
// or writes; changing the diskette means putting another medium into the slot.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "disk/drive_timing.h"
#include "disk/medium.h"
#include "disk/track_buffer.h"

namespace orv {

struct DriveStats {
    // As the file system asked.
    long readRequests = 0;
    long readSectors = 0;
    long writeRequests = 0;
    long writeSectors = 0;
    // What reached the medium (reads differ from the above with the track buffer on).
    long mediumReadRequests = 0;
    long mediumReadSectors = 0;
    long bufferHits = 0;
    double modelledMs = 0.0;  // the drive timing model's figure for the medium requests
    long flushes = 0;         // barriers asked of the medium
};

// How a medium is loaded. mapfile names the ddrescue mapfile of an image; empty: one beside the
// image is looked for (images only, never for block devices).
struct MediumOptions {
    std::string mapfile;
};

class CDrive {
public:
    // Puts the image file or block device at path into the drive. On failure the drive keeps
    // what it had and error tells the user why.
    bool Insert(const std::string& path, std::string& error, const MediumOptions& options = {});
    void InsertMedium(std::shared_ptr<IMedium> medium, std::string path = {});
    void Eject();
    std::string Path() const;
    std::shared_ptr<IMedium> Medium() const;
    // Why the medium in the drive never takes a write (IMedium::WriteRefusal); empty when it may.
    std::string WriteRefusal() const;
    // The medium in the drive takes no writes, as far as it can tell (IMedium::WriteProtected);
    // false for an empty drive.
    bool WriteProtected() const;
    // The medium's format can hold writes at all (IMedium::FormatTakesWrites); true for an
    // empty drive.
    bool FormatTakesWrites() const;

    // Each succeeds or fails as a whole; a failure says why.
    Status Read(int first, int count, std::uint8_t* buffer);
    Status Write(int first, int count, const std::uint8_t* buffer);
    // The medium's barrier (IMedium::Flush): what was written so far reaches the medium before
    // anything written later.
    Status Flush();
    // A read that the track buffer never serves, and that drops it: what proves which diskette
    // is in the drive must come from the diskette itself.
    Status ReadDirect(int first, int count, std::uint8_t* buffer);
    // Forgets what the track buffer holds (the diskette may be changed from now on).
    void DropBuffer();

    // Holds the medium in the drive, and whatever is put into the drive while held, for this
    // program (counted: each Lock that succeeded needs its Unlock). A medium taken out of a held
    // drive stays held until the last Unlock, so that nobody else changes it while it is out;
    // putting the same image or device in again passes its hold on. False, with a message
    // naming the other program where it is known, when another program has it.
    bool Lock(std::string& error);
    void Unlock();
    // Counts every change of what the drive holds (insert, eject): a diskette that left the
    // drive may have been written elsewhere before it came back.
    std::uint64_t Changes() const;

    DriveStats Stats() const;
    void ResetStats();
    // Read-ahead of the rest of a cylinder for single-sector reads (off by default).
    void SetTrackBuffer(bool on);
    const DriveTimingModel& Timing() const { return m_timing; }
    // Runs the drive timing model on every request (off by default: only --stats and the
    // benchmarks want its figure).
    void SetTimed(bool on) { m_bTimed = on; }

private:
    Status MediumRead(IMedium& medium, int first, int count, std::uint8_t* buffer);
    // One request on the medium, in the order the drive passes its sectors fastest.
    Status Transfer(IMedium& medium, int first, int count, std::uint8_t* readInto,
                    const std::uint8_t* writeFrom);

    struct HeldOut {
        std::shared_ptr<IMedium> medium;
        std::string path;
    };
    // Lets go of the media taken out while held that are the medium at path.
    void ReleaseHeldOut(const std::string& path);

    mutable std::mutex m_mutex;  // guards the slot
    std::shared_ptr<IMedium> m_medium;
    std::string m_path;
    int m_locks = 0;                 // guarded by m_mutex
    std::vector<HeldOut> m_heldOut;  // guarded by m_mutex
    std::uint64_t m_changes = 0;     // guarded by m_mutex
    mutable std::mutex m_ioMutex;    // one request at a time through the buffer and the model
    bool m_bTrackBuffer = false;
    TrackBuffer m_buffer;
    DriveTimingModel m_timing;
    int m_lastSector = 0;  // where within its track the last transfer ended; 0 unknown
    bool m_bTimed = false;
    std::atomic<long> m_readRequests{0}, m_readSectors{0}, m_writeRequests{0}, m_writeSectors{0};
    std::atomic<long> m_mediumReadRequests{0}, m_mediumReadSectors{0};
    std::atomic<long> m_flushes{0};
};

// While it lives, the drive is held for this program (CDrive::Lock); Held() tells whether
// that worked, Error() why not.
class DriveLock {
public:
    DriveLock() = default;
    explicit DriveLock(CDrive& drive) {
        if (drive.Lock(m_error)) m_pDrive = &drive;
    }
    DriveLock(DriveLock&& other) noexcept
        : m_pDrive(std::exchange(other.m_pDrive, nullptr)), m_error(std::move(other.m_error)) {}
    DriveLock& operator=(DriveLock&& other) noexcept {
        if (this != &other) {
            Release();
            m_pDrive = std::exchange(other.m_pDrive, nullptr);
            m_error = std::move(other.m_error);
        }
        return *this;
    }
    DriveLock(const DriveLock&) = delete;
    DriveLock& operator=(const DriveLock&) = delete;
    ~DriveLock() { Release(); }

    bool Held() const { return m_pDrive != nullptr; }
    const std::string& Error() const { return m_error; }
    void Release() {
        if (m_pDrive) std::exchange(m_pDrive, nullptr)->Unlock();
    }

private:
    CDrive* m_pDrive = nullptr;
    std::string m_error;
};

// Loads the medium for a path: an ImageDisk file when the file says it is one, a block device
// when the path names one, an image file otherwise (with its mapfile: the one options names, or
// one beside it). A block device or an ImageDisk file with a mapfile named is refused: a mapfile
// describes an image.
std::shared_ptr<IMedium> LoadMedium(const std::string& path, std::string& error,
                                    const MediumOptions& options = {});

}  // namespace orv

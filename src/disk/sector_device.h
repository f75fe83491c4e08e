// Raw, all-or-nothing access to the sectors of the diskette in drive A:.
#pragma once

#include <cstdint>

#include "disk/drive.h"
#include "disk/geometry.h"
#include "disk/io_error.h"
#include "disk/result.h"

namespace orv {

class CSectorDevice {
public:
    explicit CSectorDevice(CDrive* drive = nullptr) : m_pDrive(drive) {}
    void Attach(CDrive* drive) { m_pDrive = drive; }
    CDrive* Drive() const { return m_pDrive; }

    // The device open; a failure (NoMedium) when there is no drive to talk to.
    Status OpenDevice();
    void CloseDevice() { m_bOpen = false; }
    bool IsOpen() const { return m_bOpen; }

    // drive 0 is A:, the only drive. Each succeeds when every sector was transferred, and
    // fails as a whole otherwise, saying why (HostError for a request no drive could serve).
    Status ReadSectors(int drive, int first, int count, std::uint8_t* buffer);
    Status WriteSectors(int drive, int first, int count, const std::uint8_t* buffer);
    // Writes by cylinder, head and sector (the path used to rewrite sector 0).
    Status BiosWriteSectors(int drive, int sector, int count, const std::uint8_t* buffer);
    // A read that the drive's track buffer never serves: for what tells one diskette from
    // another (sector 0, the ID sectors, the table).
    Status ReadSectorsDirect(int drive, int first, int count, std::uint8_t* buffer);
    // Every sector written so far is on the diskette before any written after this.
    Status Flush(int drive);

    // The cause of the last request's failure (None after a success). Every request returns its
    // cause; this is kept only for the mount, which learns of a failure from the document's
    // operations, whose codes (AddFile's -1, DeleteFromDiskette's -1, CheckSameDiskette's 0)
    // say nothing of the drive, and still has to tell an empty drive from a bad sector.
    IoError LastError() const { return m_lastError; }

private:
    Status Usable(int drive, int first, int count) const;
    Status Keep(Status status) {
        m_lastError = status.Error();
        return status;
    }
    CDrive* m_pDrive;
    bool m_bOpen = false;
    IoError m_lastError = IoError::None;
};

}  // namespace orv

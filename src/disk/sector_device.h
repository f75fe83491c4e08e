// Raw, all-or-nothing access to the sectors of the diskette in drive A:.
#pragma once

#include <cstdint>

#include "disk/drive.h"
#include "disk/geometry.h"
#include "disk/io_error.h"

namespace orv {

class CSectorDevice {
public:
    explicit CSectorDevice(CDrive* drive = nullptr) : m_pDrive(drive) {}
    void Attach(CDrive* drive) { m_pDrive = drive; }
    CDrive* Drive() const { return m_pDrive; }

    // 0 and the device open; -1 when there is no drive to talk to.
    int OpenDevice();
    void CloseDevice() { m_bOpen = false; }
    bool IsOpen() const { return m_bOpen; }

    // drive 0 is A:, the only drive. Each returns 0 when every sector was transferred, else -1
    // with the cause in LastError().
    int ReadSectors(int drive, int first, int count, std::uint8_t* buffer);
    int WriteSectors(int drive, int first, int count, const std::uint8_t* buffer);
    // Writes by cylinder, head and sector (the path used to rewrite sector 0).
    int BiosWriteSectors(int drive, int sector, int count, const std::uint8_t* buffer);
    // A read that the drive's track buffer never serves: for what tells one diskette from
    // another (sector 0, the ID sectors, the table).
    int ReadSectorsDirect(int drive, int first, int count, std::uint8_t* buffer);
    // Every sector written so far is on the diskette before any written after this: 0, or -1
    // with the cause in LastError().
    int Flush(int drive);

    // Why the last request failed; None after a success.
    IoError LastError() const { return m_lastError; }

private:
    bool Usable(int drive, int first, int count);
    int Result(bool ok, IoError cause);
    CDrive* m_pDrive;
    bool m_bOpen = false;
    IoError m_lastError = IoError::None;
};

}  // namespace orv

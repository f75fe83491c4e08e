#include "disk/sector_device.h"

namespace orv {

int CSectorDevice::OpenDevice() {
    m_bOpen = m_pDrive != nullptr;
    return m_bOpen ? 0 : -1;
}

bool CSectorDevice::Usable(int drive, int first, int count) {
    if (!m_bOpen || !m_pDrive) {
        m_lastError = IoError::NoMedium;
        return false;
    }
    if (drive != 0 || !IsSectorRange(first, count)) {
        m_lastError = IoError::HostError;  // a request no drive could serve
        return false;
    }
    return true;
}

int CSectorDevice::Result(bool ok, IoError cause) {
    m_lastError = ok ? IoError::None : cause;
    return ok ? 0 : -1;
}

int CSectorDevice::ReadSectors(int drive, int first, int count, std::uint8_t* buffer) {
    if (!Usable(drive, first, count)) return -1;
    IoError cause = IoError::None;
    const bool ok = m_pDrive->Read(first, count, buffer, &cause);
    return Result(ok, cause);
}

int CSectorDevice::ReadSectorsDirect(int drive, int first, int count, std::uint8_t* buffer) {
    if (!Usable(drive, first, count)) return -1;
    IoError cause = IoError::None;
    const bool ok = m_pDrive->ReadDirect(first, count, buffer, &cause);
    return Result(ok, cause);
}

int CSectorDevice::WriteSectors(int drive, int first, int count, const std::uint8_t* buffer) {
    if (!Usable(drive, first, count)) return -1;
    IoError cause = IoError::None;
    const bool ok = m_pDrive->Write(first, count, buffer, &cause);
    return Result(ok, cause);
}

int CSectorDevice::Flush(int drive) {
    if (!Usable(drive, 0, 1)) return -1;
    IoError cause = IoError::None;
    const bool ok = m_pDrive->Flush(&cause);
    return Result(ok, cause);
}

int CSectorDevice::BiosWriteSectors(int drive, int sector, int count, const std::uint8_t* buffer) {
    const Chs chs = ToChs(sector);
    // A BIOS request stays within one track.
    if (chs.sector == 0 || count < 1 || chs.sector - 1 + count > kSectorsPerTrack) {
        m_lastError = IoError::HostError;
        return -1;
    }
    return WriteSectors(drive, FromChs(chs), count, buffer);
}

}  // namespace orv

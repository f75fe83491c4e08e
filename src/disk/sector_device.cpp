#include "disk/sector_device.h"

namespace orv {

Status CSectorDevice::OpenDevice() {
    m_bOpen = m_pDrive != nullptr;
    return m_bOpen ? Status{} : Status::Failure(IoError::NoMedium);
}

Status CSectorDevice::Usable(int drive, int first, int count) const {
    if (!m_bOpen || !m_pDrive) return Status::Failure(IoError::NoMedium);
    // A request no drive could serve.
    if (drive != 0 || !IsSectorRange(first, count)) return Status::Failure(IoError::HostError);
    return {};
}

Status CSectorDevice::ReadSectors(int drive, int first, int count, std::uint8_t* buffer) {
    if (const Status usable = Usable(drive, first, count); !usable) return Keep(usable);
    return Keep(m_pDrive->Read(first, count, buffer));
}

Status CSectorDevice::ReadSectorsDirect(int drive, int first, int count, std::uint8_t* buffer) {
    if (const Status usable = Usable(drive, first, count); !usable) return Keep(usable);
    return Keep(m_pDrive->ReadDirect(first, count, buffer));
}

Status CSectorDevice::WriteSectors(int drive, int first, int count, const std::uint8_t* buffer) {
    if (const Status usable = Usable(drive, first, count); !usable) return Keep(usable);
    return Keep(m_pDrive->Write(first, count, buffer));
}

Status CSectorDevice::Flush(int drive) {
    if (const Status usable = Usable(drive, 0, 1); !usable) return Keep(usable);
    return Keep(m_pDrive->Flush());
}

Status CSectorDevice::BiosWriteSectors(int drive, int sector, int count,
                                       const std::uint8_t* buffer) {
    const Chs chs = ToChs(sector);
    // A BIOS request stays within one track.
    if (chs.sector == 0 || count < 1 || chs.sector - 1 + count > kSectorsPerTrack)
        return Keep(Status::Failure(IoError::HostError));
    return WriteSectors(drive, *FromChs(chs), count, buffer);
}

}  // namespace orv

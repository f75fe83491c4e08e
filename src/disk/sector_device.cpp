#include "disk/sector_device.h"

namespace orv {

int CSectorDevice::OpenDevice() {
    m_bOpen = m_pDrive != nullptr;
    return m_bOpen ? 0 : -1;
}

bool CSectorDevice::Usable(int drive, int first, int count) const {
    return m_bOpen && m_pDrive && drive == 0 && IsSectorRange(first, count);
}

int CSectorDevice::ReadSectors(int drive, int first, int count, std::uint8_t* buffer) {
    if (!Usable(drive, first, count)) return -1;
    return m_pDrive->Read(first, count, buffer) ? 0 : -1;
}

int CSectorDevice::WriteSectors(int drive, int first, int count, const std::uint8_t* buffer) {
    if (!Usable(drive, first, count)) return -1;
    return m_pDrive->Write(first, count, buffer) ? 0 : -1;
}

int CSectorDevice::BiosWriteSectors(int drive, int sector, int count, const std::uint8_t* buffer) {
    const Chs chs = ToChs(sector);
    if (chs.sector == 0) return -1;
    // A BIOS request stays within one track.
    if (count < 1 || chs.sector - 1 + count > kSectorsPerTrack) return -1;
    return WriteSectors(drive, FromChs(chs), count, buffer);
}

}  // namespace orv

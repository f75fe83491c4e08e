#include "disk/drive.h"

#include <sys/stat.h>

#include "disk/block_device_medium.h"
#include "disk/image_medium.h"

namespace orv {

std::shared_ptr<IMedium> LoadMedium(const std::string& path, std::string& error) {
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
    std::lock_guard lock(m_mutex);
    m_medium = std::move(medium);
    m_path = std::move(path);
}

void CDrive::Eject() { InsertMedium(nullptr); }

std::string CDrive::Path() const {
    std::lock_guard lock(m_mutex);
    return m_path;
}

std::shared_ptr<IMedium> CDrive::Medium() const {
    std::lock_guard lock(m_mutex);
    return m_medium;
}

bool CDrive::Read(int first, int count, std::uint8_t* buffer) {
    ++m_readRequests;
    m_readSectors += count;
    auto medium = Medium();
    return medium && medium->Read(first, count, buffer);
}

bool CDrive::Write(int first, int count, const std::uint8_t* buffer) {
    ++m_writeRequests;
    m_writeSectors += count;
    auto medium = Medium();
    return medium && medium->Write(first, count, buffer);
}

DriveStats CDrive::Stats() const {
    return DriveStats{m_readRequests.load(), m_readSectors.load(), m_writeRequests.load(),
                      m_writeSectors.load()};
}

void CDrive::ResetStats() {
    m_readRequests = m_readSectors = m_writeRequests = m_writeSectors = 0;
}

}  // namespace orv

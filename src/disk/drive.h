// Drive A:, a slot. Whatever medium sits in it when a request arrives is what the request reads
// or writes; changing the diskette means putting another medium into the slot.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "disk/medium.h"

namespace orv {

struct DriveStats {
    long readRequests = 0;
    long readSectors = 0;
    long writeRequests = 0;
    long writeSectors = 0;
};

class CDrive {
public:
    // Puts the image file or block device at path into the drive. On failure the drive keeps
    // what it had and error tells the user why.
    bool Insert(const std::string& path, std::string& error);
    void InsertMedium(std::shared_ptr<IMedium> medium, std::string path = {});
    void Eject();
    std::string Path() const;
    std::shared_ptr<IMedium> Medium() const;

    bool Read(int first, int count, std::uint8_t* buffer);
    bool Write(int first, int count, const std::uint8_t* buffer);

    DriveStats Stats() const;
    void ResetStats();

private:
    mutable std::mutex m_mutex;  // guards the slot; the medium itself is used by one thread
    std::shared_ptr<IMedium> m_medium;
    std::string m_path;
    std::atomic<long> m_readRequests{0}, m_readSectors{0}, m_writeRequests{0}, m_writeSectors{0};
};

// Loads the medium for a path: a block device when the path names one, an image file otherwise.
std::shared_ptr<IMedium> LoadMedium(const std::string& path, std::string& error);

}  // namespace orv

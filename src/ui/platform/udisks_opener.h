// udisks2's OpenDevice over the system bus: the daemon opens the device and hands us the
// descriptor once polkit has asked the user. Where no udisks2 runs, the call fails at once.
#pragma once

#include "ui/platform/device_opener.h"

namespace orv {

class CUdisksOpener final : public IDeviceOpener {
public:
    std::shared_ptr<IMedium> Open(const std::string& path, std::string& error) override;
};

// The object of a block device in udisks2: "/org/freedesktop/UDisks2/block_devices/" and the
// kernel's name of the device, every byte but a letter or digit written as "_" and two hex
// digits (dm-0 becomes dm_2d0).
std::string UdisksBlockObjectPath(const std::string& devicePath);

}  // namespace orv

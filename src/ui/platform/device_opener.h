// Opens a block device that this user may not open: through a service that grants it (udisks2
// on a desktop), after asking the user.
#pragma once

#include <memory>
#include <string>

#include "disk/medium.h"

namespace orv {

class IDeviceOpener {
public:
    virtual ~IDeviceOpener() = default;
    // The device as a medium; null when no service grants it, with the reason in error.
    virtual std::shared_ptr<IMedium> Open(const std::string& path, std::string& error) = 0;
};

}  // namespace orv

// The state of the Caps Lock, Num Lock and Scroll Lock keys, where the window system tells it.
#pragma once

#include <optional>

namespace orv {

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// nullopt when the platform does not report the lock keys.
std::optional<LockKeys> ReadLockKeys();

}  // namespace orv

#include "ui/frame/lock_indicators.h"

#include <QGuiApplication>

#ifdef ORVALIS_HAVE_X11
#include <X11/XKBlib.h>
#endif

namespace orv {

std::optional<LockKeys> ReadLockKeys() {
#ifdef ORVALIS_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return std::nullopt;
    unsigned int state = 0;
    if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) != 0) return std::nullopt;
    // Indicator bits of the core keyboard: Caps Lock, Num Lock, Scroll Lock.
    return LockKeys{(state & 0x1) != 0, (state & 0x2) != 0, (state & 0x4) != 0};
#else
    return std::nullopt;
#endif
}

}  // namespace orv

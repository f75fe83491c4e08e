#include "ui/platform/udisks_opener.h"

#include <fcntl.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>
#include <cstdio>
#include <filesystem>

#include "disk/block_device_medium.h"

namespace orv {

namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kBlockInterface = "org.freedesktop.UDisks2.Block";
// udisks2 could open the device but the open failed (a write-protected diskette refuses "rw").
constexpr const char* kOpenFailed = "org.freedesktop.UDisks2.Error.Failed";
// The user may take a while to answer polkit's question.
constexpr int kAnswerTimeoutMs = 120000;

}  // namespace

std::string UdisksBlockObjectPath(const std::string& devicePath) {
    std::string object = "/org/freedesktop/UDisks2/block_devices/";
    for (const unsigned char c : std::filesystem::path(devicePath).filename().string()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            object += char(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "_%02x", c);
            object += escaped;
        }
    }
    return object;
}

std::shared_ptr<IMedium> CUdisksOpener::Open(const std::string& path, std::string& error) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        error = "no system bus";
        return nullptr;
    }
    // udisks2 knows a device by its kernel name, not by a link such as /dev/disk/by-id/...
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(path, ec);
    const QString object = QString::fromStdString(UdisksBlockObjectPath(ec ? path : real.string()));
    for (const bool readOnly : {false, true}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, object, kBlockInterface, "OpenDevice");
        call.setInteractiveAuthorizationAllowed(true);
        call << QString(readOnly ? "r" : "rw") << QVariantMap();
        // The window waits: nothing else may change the drive while the user decides.
        const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            const auto granted = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().front());
            UniqueFd fd(granted.isValid() ? ::fcntl(granted.fileDescriptor(), F_DUPFD_CLOEXEC, 0)
                                          : -1);
            if (!fd.Valid()) {
                error = path + ": udisks2 gave no usable descriptor";
                return nullptr;
            }
            auto medium = std::make_shared<BlockDeviceMedium>();
            if (!medium->Attach(std::move(fd), path, readOnly, error)) return nullptr;
            return medium;
        }
        error = reply.errorMessage().toStdString();
        // Not there, or not allowed: asking again for reading only would not change that.
        if (reply.errorName() != kOpenFailed) return nullptr;
    }
    return nullptr;
}

}  // namespace orv

#include "disk/default_drive.h"

#include <cstdlib>
#include <filesystem>

#include "disk/image_medium.h"

namespace orv {

std::string DefaultDrivePath() {
    if (const char* env = std::getenv("ORVALIS_DRIVE"); env && *env) return env;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".local" / "share";
    else
        base = ".";
    return (base / "orvalis" / "drive-a.img").string();
}

bool PrepareDefaultDrive(std::string& path, std::string& error) {
    path = DefaultDrivePath();
    if (const char* env = std::getenv("ORVALIS_DRIVE"); env && *env) return true;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return true;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (ec) {
        error = std::filesystem::path(path).parent_path().string() + ": " + ec.message();
        return false;
    }
    return CreateBlankImage(path, error);
}

}  // namespace orv

#include "ui/platform/recent_images.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orv {

namespace {

namespace fs = std::filesystem;

// One absolute path a line: a path that holds a line break cannot be kept, and a line that is
// no absolute path is not ours.
bool Storable(const std::string& path) {
    return !path.empty() && path.front() == '/' && path.find('\n') == std::string::npos;
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

CRecentImages::CRecentImages(std::string file) : m_file(std::move(file)) {
    if (m_file.empty()) return;
    std::ifstream in(m_file);
    std::string line;
    while (m_paths.size() < kMaxImages && std::getline(in, line)) {
        if (Storable(line) && std::find(m_paths.begin(), m_paths.end(), line) == m_paths.end())
            m_paths.push_back(line);
    }
}

void CRecentImages::Add(const std::string& path) {
    const std::string absolute = Absolute(path);
    if (!Storable(absolute)) return;
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), absolute), m_paths.end());
    m_paths.insert(m_paths.begin(), absolute);
    if (m_paths.size() > kMaxImages) m_paths.resize(kMaxImages);
    Save();
}

void CRecentImages::Remove(const std::string& path) {
    const auto end = std::remove(m_paths.begin(), m_paths.end(), path);
    if (end == m_paths.end()) return;
    m_paths.erase(end, m_paths.end());
    Save();
}

void CRecentImages::Save() const {
    if (m_file.empty()) return;
    // The list is a convenience: when it cannot be written the window goes on without it.
    std::error_code ec;
    fs::create_directories(fs::path(m_file).parent_path(), ec);
    const std::string temporary = m_file + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& p : m_paths) out << p << '\n';
        if (!out.flush()) {
            fs::remove(temporary, ec);
            return;
        }
    }
    fs::rename(temporary, m_file, ec);
    if (ec) fs::remove(temporary, ec);
}

std::string RecentImagesFile() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".config";
    else
        return {};
    return (base / "orvalis" / "recent-images").string();
}

}  // namespace orv

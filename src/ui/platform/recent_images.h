// The last ten images the window put into drive A:, newest first. They are kept in a small file
// of ours in the XDG config folder, so that the next start offers them again; the program keeps
// no other settings.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orv {

class CRecentImages {
public:
    static constexpr std::size_t kMaxImages = 10;

    // Reads the list from the file; with no file the list lives in memory only.
    explicit CRecentImages(std::string file = {});

    const std::vector<std::string>& Paths() const { return m_paths; }
    // Puts the image on top (as an absolute path) and writes the file.
    void Add(const std::string& path);
    void Remove(const std::string& path);

private:
    void Save() const;

    std::string m_file;
    std::vector<std::string> m_paths;
};

// $XDG_CONFIG_HOME/orvalis/recent-images, else ~/.config/orvalis/recent-images; empty when
// neither is known.
std::string RecentImagesFile();

}  // namespace orv

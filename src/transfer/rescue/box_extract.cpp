#include "transfer/rescue/box_extract.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "fs/layout.h"
#include "transfer/host_names.h"

namespace orv {

namespace {

constexpr std::uint8_t kFiller = 0x58;  // 'X', as a copy fills what it cannot read

std::string Why(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

bool Taken(const std::vector<std::string>& taken, const std::string& name) {
    return std::find(taken.begin(), taken.end(), name) != taken.end();
}

}  // namespace

std::vector<std::string> ImageFolderNames(const std::vector<std::string>& imagePaths) {
    std::vector<std::string> names;
    for (const std::string& path : imagePaths) {
        std::string stem = std::filesystem::path(path).filename().string();
        if (stem.size() > 4) {
            std::string tail = stem.substr(stem.size() - 4);
            std::transform(tail.begin(), tail.end(), tail.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            if (tail == ".img") stem.resize(stem.size() - 4);
        }
        const std::string base = SafeHostName(stem);
        std::string name = base;
        for (int n = 2; Taken(names, name) || name == kChecksumFileName; ++n)
            name = base + "-" + std::to_string(n);
        names.push_back(name);
    }
    return names;
}

std::string ExtractedName(const std::string& displayName, int fileNumber,
                          std::vector<std::string>& taken) {
    std::string name = SafeHostName(displayName);
    // Two files of one diskette may carry one name; the number tells them apart (again, for a
    // file whose own name looks like that of another with its number).
    const std::string number = " #" + std::to_string(fileNumber);
    while (Taken(taken, name)) name = SafeHostName(name + number);
    taken.push_back(name);
    return name;
}

bool FileExtractor::Open(const std::string& path, std::string& error) {
    m_path = path;
    if (!m_file.Open(path, HostFile::Mode::CreateNew)) {
        error = errno == EEXIST ? path + " exists; it is not overwritten." : Why(path);
        m_path.clear();
        return false;
    }
    return true;
}

bool FileExtractor::Write(const std::uint8_t* piece, std::int32_t length, std::string& error) {
    if (length <= 0) return true;
    std::array<std::uint8_t, kUnitDataBytes> filler;
    if (!piece) {
        filler.fill(kFiller);
        piece = filler.data();
        length = std::min<std::int32_t>(length, kUnitDataBytes);
    }
    if (m_file.Write(piece, length)) return true;
    error = "Could not write " + Why(m_path);
    return false;
}

bool FileExtractor::Finish(std::uint32_t time, std::uint8_t attributes, bool restore,
                           std::string& error) {
    if (!m_file.Close()) {
        error = "Could not write " + Why(m_path);
        Abandon();
        return false;
    }
    const std::string path = std::exchange(m_path, {});
    if (restore && !SetHostFileStatus(path, time, attributes)) {
        error = "Could not set the date and attributes of " + Why(path);
        return false;
    }
    return true;
}

void FileExtractor::Abandon() {
    if (m_path.empty()) return;
    m_file.Close();
    ::unlink(m_path.c_str());
    m_path.clear();
}

bool WriteNewTextFile(const std::string& path, const std::string& text, std::string& error) {
    HostFile file;
    if (!file.Open(path, HostFile::Mode::CreateNew)) {
        error = errno == EEXIST ? path + " exists; it is not overwritten." : Why(path);
        return false;
    }
    const bool written =
        file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), long(text.size()));
    if (!file.Close() || !written) {
        error = "Could not write " + Why(path);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

}  // namespace orv

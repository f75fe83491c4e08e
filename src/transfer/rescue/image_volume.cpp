#include "transfer/rescue/image_volume.h"

#include <algorithm>

#include "ports/text_format.h"
#include "transfer/document.h"

namespace orv {

const char* ImageStateText(ImageState state) {
    switch (state) {
        case ImageState::Ok:
            return "ok";
        case ImageState::CopiesDiffer:
            return "copies differ";
        case ImageState::NoIdSectors:
            return "no ID sectors";
        case ImageState::NotFormatted:
            return "not formatted";
        case ImageState::Sector0Unreadable:
            return "sector 0 unreadable";
        case ImageState::TableUnreadable:
            return "table unreadable";
        case ImageState::InUse:
            return "in use";
        case ImageState::NotReadable:
            return "not readable";
    }
    return "not readable";
}

ImageState ImageStateOf(OpenEnd end, bool signature) {
    switch (end) {
        case OpenEnd::Sector0Unreadable:
            return ImageState::Sector0Unreadable;
        case OpenEnd::TableUnreadable:
            return ImageState::TableUnreadable;
        case OpenEnd::NoIdSectors:
        case OpenEnd::Declined:
            return signature ? ImageState::NoIdSectors : ImageState::NotFormatted;
        case OpenEnd::Opened:
        case OpenEnd::CopiesDiffer:
            break;
    }
    if (!signature) return ImageState::NotFormatted;
    return end == OpenEnd::CopiesDiffer ? ImageState::CopiesDiffer : ImageState::Ok;
}

bool ImageVolume::Open(const std::string& path) {
    if (!m_source.Open(path, m_error)) {
        m_state = m_source.LastProblem() == ImageSource::Problem::InUse ? ImageState::InUse
                                                                        : ImageState::NotReadable;
        return false;
    }
    // Reading a file unit by unit costs a request each; the read-ahead makes it one a cylinder.
    m_source.Drive().SetTrackBuffer(true);
    // Read-only: copies that differ are settled in memory, as the document does, and never
    // written.
    DisketteListing listing;
    const OpenEnd end = OpenDisketteFiles(m_volume, listing);
    m_state = ImageStateOf(end, listing.signature);
    m_bIds = end != OpenEnd::Sector0Unreadable && end != OpenEnd::NoIdSectors;
    if (!Listed(end)) return false;
    m_files = std::move(listing.files);
    for (FileRecord& record : m_files) COrvalisDoc::FormatRecord(record);
    std::vector<int> numbers;
    m_volume.ListFileNumbers(numbers);
    for (int number : numbers)
        if (std::none_of(m_files.begin(), m_files.end(),
                         [number](const FileRecord& r) { return r.fileNumber == number; }))
            m_headerless.push_back(number);
    return true;
}

const FileRecord* FindListedFile(const std::vector<FileRecord>& files, const std::string& name,
                                 std::size_t& matches) {
    std::vector<const FileRecord*> exact, folded;
    for (const FileRecord& r : files) {
        if (r.displayName == name)
            exact.push_back(&r);
        else if (EqualsNoCase(r.displayName, name))
            folded.push_back(&r);
    }
    const auto& found = exact.empty() ? folded : exact;
    matches = found.size();
    return matches == 1 ? found.front() : nullptr;
}

}  // namespace orv

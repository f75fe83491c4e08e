#include "cli/scan_output.h"

#include <algorithm>

#include "fs/name_text.h"
#include "ports/text_format.h"

namespace orv::cli {

namespace {

nlohmann::json FileJson(const ScannedFile& f) {
    const bool named = f.health != FileHealth::HeaderUnreadable;
    return {{"name", named ? nlohmann::json(f.record.displayName) : nlohmann::json()},
            {"size", named ? nlohmann::json(f.record.size) : nlohmann::json()},
            {"date", named ? nlohmann::json(f.record.dateText) : nlohmann::json()},
            {"number", f.record.fileNumber},
            {"part", f.part},
            {"status", FileHealthText(f.health)},
            {"bad", f.bad},
            {"sha256", f.sha256.empty() ? nlohmann::json() : nlohmann::json(f.sha256)}};
}

std::string Positions(const std::vector<std::uint32_t>& bad) {
    std::string text;
    for (std::uint32_t p : bad) text += (text.empty() ? "" : ", ") + std::to_string(p);
    return text;
}

}  // namespace

nlohmann::json ScanJson(const ScanOutcome& scan) {
    nlohmann::json images = nlohmann::json::array();
    for (const ScannedImage& image : scan.images) {
        nlohmann::json files = nlohmann::json::array();
        for (const ScannedFile& f : image.files) files.push_back(FileJson(f));
        nlohmann::json entry{
            {"path", image.path},
            {"label", image.hasIds ? nlohmann::json(DisplayText(image.label)) : nlohmann::json()},
            {"format_date",
             image.hasIds ? nlohmann::json(DateText(image.stamp)) : nlohmann::json()},
            {"state", ImageStateText(image.state)},
            {"files", std::move(files)}};
        if (!image.error.empty()) entry["error"] = image.error;
        images.push_back(std::move(entry));
    }
    nlohmann::json spread = nlohmann::json::array();
    for (const SpreadGroup& group : scan.spread) {
        nlohmann::json parts = nlohmann::json::array();
        for (std::size_t i : group.parts)
            parts.push_back(
                {{"path", scan.images[scan.parts[i].image].path}, {"part", scan.parts[i].part}});
        spread.push_back(
            {{"name", group.name},
             {"size", group.size},
             {"parts", std::move(parts)},
             {"complete", group.complete},
             {"sha256", group.sha256.empty() ? nlohmann::json() : nlohmann::json(group.sha256)}});
    }
    nlohmann::json notImages = nlohmann::json::array();
    for (const SkippedFile& f : scan.notImages)
        notImages.push_back({{"path", f.path}, {"size", f.size}});
    const ScanTotals& t = scan.totals;
    return {{"images", std::move(images)},
            {"spread", std::move(spread)},
            {"not_images", std::move(notImages)},
            {"totals",
             {{"images", t.images},
              {"files", t.files},
              {"intact", t.intact},
              {"damaged", t.damaged},
              {"header_unreadable", t.headerUnreadable},
              {"unreadable_bytes", t.unreadableBytes}}}};
}

// The name padded to 40 characters: printf's width counts bytes, and a name with accents would
// push the columns after it out of line.
static std::string NameColumn(const std::string& name) {
    constexpr std::size_t kWidth = 40;
    std::size_t characters = 0;
    for (unsigned char c : name)
        if ((c & 0xC0) != 0x80) ++characters;
    return name + std::string(characters < kWidth ? kWidth - characters : 0, ' ');
}

void PrintScanTable(const ScanOutcome& scan, std::ostream& out) {
    for (const ScannedImage& image : scan.images) {
        out << image.path << "  ";
        if (image.hasIds)
            out << "label \"" << DisplayText(image.label) << "\", formatted "
                << DateText(image.stamp) << ", ";
        out << ImageStateText(image.state);
        if (!image.error.empty()) {
            std::string error = image.error;
            std::replace(error.begin(), error.end(), '\n', ' ');
            out << " (" << error << ")";
        }
        out << "\n";
        for (const ScannedFile& f : image.files) {
            if (f.health == FileHealth::HeaderUnreadable) {
                out << StrFormat("  #%-5d %-40s header unreadable; unreadable pieces: %s\n",
                                 int(f.record.fileNumber), "?", Positions(f.bad).c_str());
                continue;
            }
            out << StrFormat("  #%-5d %s %9lu  %-17s %s", int(f.record.fileNumber),
                             NameColumn(f.record.displayName).c_str(),
                             static_cast<unsigned long>(f.record.size), f.record.dateText.c_str(),
                             FileHealthText(f.health));
            if (f.part > 0) out << StrFormat(" (part %d)", f.part);
            if (!f.bad.empty()) out << ": " << Positions(f.bad);
            out << "\n";
        }
    }
    if (!scan.spread.empty()) out << "Files spread over several diskettes:\n";
    for (const SpreadGroup& group : scan.spread) {
        out << "  " << group.name << ", " << group.size << " B: ";
        for (std::size_t k = 0; k < group.parts.size(); ++k) {
            const SpreadPart& part = scan.parts[group.parts[k]];
            out << (k ? ", " : "") << "part " << part.part << " on "
                << scan.images[part.image].path;
        }
        out << (group.complete          ? "; complete"
                : !group.chosen.empty() ? "; every part found, some damaged"
                                        : "; parts missing")
            << "\n";
    }
    for (const SkippedFile& f : scan.notImages)
        out << f.path << ": not an image (" << f.size << " bytes)\n";
    const ScanTotals& t = scan.totals;
    out << t.images << " images, " << t.files << " files: " << t.intact << " intact, " << t.damaged
        << " damaged, " << t.headerUnreadable << " with an unreadable header; " << t.unreadableBytes
        << " bytes unreadable" << std::endl;
}

}  // namespace orv::cli

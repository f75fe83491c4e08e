#include "ui/view/rescue_texts.h"

#include "ports/text_format.h"
#include "transfer/rescue/output_image.h"

namespace orv {

namespace {

// A box of worn diskettes may give hundreds of problems; the first ones say what went wrong.
constexpr std::size_t kProblemsShown = 10;

std::string Listed(const SectorSet& sectors) {
    return sectors.none() ? std::string("none") : SectorRangesText(sectors);
}

std::string Plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string ImagingSummary(const ImagingOutcome& r, const std::string& image) {
    const int unreadable = int(r.unreadable.count());
    std::string text = StrFormat("%s\n\n%d sectors: %d read, %d unreadable.", image.c_str(),
                                 kSectorCount, kSectorCount - unreadable, unreadable);
    if (unreadable > 0)
        text += "\nUnreadable, listed in " + UnreadListPath(image) + ": " +
                SectorRangesText(r.unreadable);
    // The time is left out: it would count the progress window's pause at its end.
    text += r.resumed ? StrFormat("\nThis run read %d of the %d sectors still listed.", r.readNow,
                                  r.tried)
                      : StrFormat("\nThis run read %d of %d sectors.", r.readNow, r.tried);
    if (unreadable > 0)
        text +=
            "\n\nMake image of diskette... into the same image again reads only the sectors "
            "still listed, in this drive or in another.";
    return text;
}

std::string MergeSummary(const MergeOutcome& r, const std::string& image,
                         const std::vector<std::string>& inputs) {
    std::string text =
        StrFormat("%s\n\n%d sectors from %zu images:", image.c_str(), kSectorCount, inputs.size());
    for (std::size_t i = 0; i < inputs.size() && i < r.takenFrom.size(); ++i)
        text += "\n  " + inputs[i] + ": " + Plural(r.takenFrom[i], "sector", "sectors");
    text += "\nCopies that differ (the majority taken): " + Listed(r.differing);
    text += "\nRead by no image (zero, listed in " + UnreadListPath(image) +
            "): " + Listed(r.unreadable);
    return text;
}

std::string RescueSummary(const FileRescueOutcome& r, const std::string& target) {
    std::string text = target + "\n\n" + Plural(long(r.positions), "piece", "pieces");
    text += r.unread.empty()
                ? ": the file is whole."
                : StrFormat(", %zu not read by any image (filled with X).", r.unread.size());
    for (const RescueSource& source : r.sources) {
        text += "\n  " + source.path + ": " + Plural(source.pieces, "piece", "pieces");
        if (!source.note.empty()) text += " (" + source.note + ")";
    }
    return text;
}

std::string ScanTotalsText(const ScanOutcome& scan) {
    const ScanTotals& t = scan.totals;
    std::string text = Plural(t.images, "image", "images") + ", " +
                       Plural(t.files, "file", "files") + ": " + std::to_string(t.intact) +
                       " intact, " + std::to_string(t.damaged) + " damaged, " +
                       std::to_string(t.headerUnreadable) + " with an unreadable header; " +
                       std::to_string(t.unreadableBytes) + " bytes unreadable.";
    if (!scan.spread.empty()) {
        long complete = 0;
        for (const SpreadGroup& group : scan.spread) complete += group.complete;
        text += "\n" + Plural(long(scan.spread.size()), "file", "files") +
                " spread over several diskettes, " + std::to_string(complete) + " complete.";
    }
    if (!scan.notImages.empty())
        text += "\n" + Plural(long(scan.notImages.size()), ".img file is", ".img files are") +
                " not an image.";
    return text;
}

std::string ExtractionSummary(const ScanOutcome& scan, const std::string& folder) {
    if (scan.extractProblems.empty())
        return "Every file was copied out into\n" + folder +
               "\n\nDamaged files hold X where a piece did not read, with a .report beside "
               "them.";
    std::string text = "The files were copied out into\n" + folder + "\nexcept:";
    for (std::size_t i = 0; i < scan.extractProblems.size() && i < kProblemsShown; ++i)
        text += "\n" + scan.extractProblems[i];
    if (scan.extractProblems.size() > kProblemsShown)
        text += StrFormat("\n... and %zu more.", scan.extractProblems.size() - kProblemsShown);
    return text;
}

std::string PositionsText(const std::vector<std::uint32_t>& positions) {
    std::string text;
    for (std::size_t i = 0; i < positions.size();) {
        std::size_t j = i;
        while (j + 1 < positions.size() && positions[j + 1] == positions[j] + 1) ++j;
        if (!text.empty()) text += ", ";
        text += std::to_string(positions[i]);
        if (j > i) text += "-" + std::to_string(positions[j]);
        i = j + 1;
    }
    return text;
}

}  // namespace orv

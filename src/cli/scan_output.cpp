#include "cli/scan_output.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string_view>

#include "cli/report_json.h"
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

nlohmann::json ImageJson(const ScannedImage& image) {
    nlohmann::json files = nlohmann::json::array();
    for (const ScannedFile& f : image.files) files.push_back(FileJson(f));
    nlohmann::json entry{
        {"path", image.path},
        {"label", image.hasIds ? nlohmann::json(LabelText(image)) : nlohmann::json()},
        {"format_date", image.hasIds ? nlohmann::json(DateText(image.stamp)) : nlohmann::json()},
        {"state", ImageStateText(image.state)},
        {"files", std::move(files)}};
    if (!image.error.empty()) entry["error"] = image.error;
    return entry;
}

nlohmann::json PartsJson(const std::vector<std::size_t>& indexes,
                         const std::vector<SpreadPart>& parts) {
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t i : indexes)
        list.push_back({{"path", parts[i].path}, {"part", parts[i].part}});
    return list;
}

nlohmann::json SpreadJson(const SpreadGroup& group, const std::vector<SpreadPart>& parts) {
    nlohmann::json entry{
        {"name", group.name},
        {"size", group.size},
        {"parts", PartsJson(group.parts, parts)},
        {"complete", group.complete},
        {"ambiguous", group.ambiguous},
        {"sha256", group.sha256.empty() ? nlohmann::json() : nlohmann::json(group.sha256)}};
    if (group.ambiguous) entry["candidates"] = PartsJson(group.candidates, parts);
    return entry;
}

nlohmann::json NotImageJson(const SkippedFile& f) {
    return {{"path", f.path}, {"size", f.size}};
}

nlohmann::json TotalsJson(const ScanTotals& t) {
    return {{"images", t.images},
            {"files", t.files},
            {"intact", t.intact},
            {"damaged", t.damaged},
            {"header_unreadable", t.headerUnreadable},
            {"unreadable_bytes", t.unreadableBytes}};
}

std::string Positions(const std::vector<std::uint32_t>& bad) {
    std::string text;
    for (std::uint32_t p : bad) text += (text.empty() ? "" : ", ") + std::to_string(p);
    return text;
}

// The name padded to 40 characters: printf's width counts bytes, and a name with accents would
// push the columns after it out of line.
std::string NameColumn(const std::string& name) {
    constexpr std::size_t kWidth = 40;
    std::size_t characters = 0;
    for (unsigned char c : name)
        if ((c & 0xC0) != 0x80) ++characters;
    return name + std::string(characters < kWidth ? kWidth - characters : 0, ' ');
}

class PrinterBase : public ScanPrinter {
public:
    PrinterBase(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
    void Problem(const std::string& text) override {
        m_out.flush();
        m_err << "orvalis-cli: " << text << std::endl;
        m_bProblems = true;
    }
    bool Problems() const override { return m_bProblems; }

protected:
    std::ostream& m_out;
    std::ostream& m_err;

private:
    bool m_bProblems = false;
};

class TablePrinter final : public PrinterBase {
public:
    using PrinterBase::PrinterBase;

    void Image(const ScannedImage& image) override {
        std::string text = image.path + "  ";
        if (image.hasIds)
            text += "label \"" + LabelText(image) + "\", formatted " + DateText(image.stamp) + ", ";
        text += ImageStateText(image.state);
        if (!image.error.empty()) {
            std::string error = image.error;
            std::replace(error.begin(), error.end(), '\n', ' ');
            text += " (" + error + ")";
        }
        text += "\n";
        for (const ScannedFile& f : image.files) {
            if (f.health == FileHealth::HeaderUnreadable) {
                text += StrFormat("  #%-5d %-40s header unreadable; unreadable pieces: %s\n",
                                  int(f.record.fileNumber), "?", Positions(f.bad).c_str());
                continue;
            }
            text += StrFormat("  #%-5d %s %9lu  %-17s %s", int(f.record.fileNumber),
                              NameColumn(f.record.displayName).c_str(),
                              static_cast<unsigned long>(f.record.size), f.record.dateText.c_str(),
                              FileHealthText(f.health));
            if (f.part > 0) text += StrFormat(" (part %d)", f.part);
            if (!f.bad.empty()) text += ": " + Positions(f.bad);
            text += "\n";
        }
        m_out << text;
    }
    void Spread(const SpreadGroup& group, const std::vector<SpreadPart>& parts) override {
        if (!m_bSpreadTold) m_out << "Files spread over several diskettes:\n";
        m_bSpreadTold = true;
        m_out << "  " << group.name << ", " << group.size << " B: ";
        for (std::size_t k = 0; k < group.parts.size(); ++k) {
            const SpreadPart& part = parts[group.parts[k]];
            m_out << (k ? ", " : "") << "part " << part.part << " on " << part.path;
        }
        if (group.ambiguous) {
            // Which copies are not one part: each is another file of this name, size and date.
            m_out << "; ambiguous, two files of this name, size and date: ";
            for (std::size_t k = 0; k < group.candidates.size(); ++k) {
                const SpreadPart& part = parts[group.candidates[k]];
                m_out << (k ? ", " : "") << "part " << part.part << " on " << part.path;
            }
            m_out << " differ; not collected\n";
            return;
        }
        m_out << (group.complete          ? "; complete"
                  : !group.chosen.empty() ? "; every part found, some damaged"
                                          : "; parts missing")
              << "\n";
    }
    void NotImage(const SkippedFile& f) override {
        m_out << f.path << ": not an image (" << f.size << " bytes)\n";
    }
    void Totals(const ScanTotals& t) override {
        m_out << t.images << " images, " << t.files << " files: " << t.intact << " intact, "
              << t.damaged << " damaged, " << t.headerUnreadable << " with an unreadable header; "
              << t.unreadableBytes << " bytes unreadable" << std::endl;
    }

private:
    bool m_bSpreadTold = false;
};

// The object DumpJson would give for the whole answer, written as it goes: the images one by
// one, the rest (small: the spread sets and the files that are no images) at the end.
class JsonPrinter final : public PrinterBase {
public:
    using PrinterBase::PrinterBase;

    void Image(const ScannedImage& image) override {
        m_out << (m_bAnyImage ? ",\n" : "{\n  \"images\": [\n");
        m_bAnyImage = true;
        const std::string entry = DumpJson(ImageJson(image));
        std::size_t from = 0;
        while (from < entry.size()) {
            const std::size_t end = entry.find('\n', from);
            const std::size_t stop = end == std::string::npos ? entry.size() : end;
            m_out << "    ";
            m_out.write(entry.data() + from, std::streamsize(stop - from));
            if (end != std::string::npos) m_out << '\n';
            from = stop + 1;
        }
    }
    void Spread(const SpreadGroup& group, const std::vector<SpreadPart>& parts) override {
        m_spread.push_back(SpreadJson(group, parts));
    }
    void NotImage(const SkippedFile& f) override { m_notImages.push_back(NotImageJson(f)); }
    void Totals(const ScanTotals& t) override {
        m_out << (m_bAnyImage ? "\n  ],\n" : "{\n  \"images\": [],\n");
        const nlohmann::json rest{{"not_images", std::move(m_notImages)},
                                  {"spread", std::move(m_spread)},
                                  {"totals", TotalsJson(t)}};
        m_out << DumpJson(rest).substr(2) << std::endl;
    }

private:
    bool m_bAnyImage = false;
    nlohmann::json m_spread = nlohmann::json::array();
    nlohmann::json m_notImages = nlohmann::json::array();
};

class JsonLinesPrinter final : public PrinterBase {
public:
    using PrinterBase::PrinterBase;

    void Image(const ScannedImage& image) override { Line("image", ImageJson(image)); }
    void Spread(const SpreadGroup& group, const std::vector<SpreadPart>& parts) override {
        Line("spread", SpreadJson(group, parts));
    }
    void NotImage(const SkippedFile& f) override { Line("not_image", NotImageJson(f)); }
    void Totals(const ScanTotals& t) override {
        Line("totals", TotalsJson(t));
        m_out.flush();
    }

private:
    // The kind first, for a reader that looks at the start of a line.
    void Line(const char* kind, const nlohmann::json& object) {
        const std::string text =
            object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        m_out << "{\"kind\":\"" << kind << "\"" << (text.size() > 2 ? "," : "")
              << std::string_view(text).substr(1) << '\n';
    }
};

}  // namespace

std::unique_ptr<ScanPrinter> MakeScanPrinter(ScanFormat format, std::ostream& out,
                                             std::ostream& err) {
    switch (format) {
        case ScanFormat::Json:
            return std::make_unique<JsonPrinter>(out, err);
        case ScanFormat::JsonLines:
            return std::make_unique<JsonLinesPrinter>(out, err);
        case ScanFormat::Table:
            break;
    }
    return std::make_unique<TablePrinter>(out, err);
}

}  // namespace orv::cli

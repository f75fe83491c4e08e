#include "disk/ddrescue_map.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string_view>
#include <vector>

#include "host/small_file.h"

namespace orv {

namespace {

constexpr std::string_view kPhaseLetters = "?*/-FG+";  // current_status
constexpr std::string_view kBlockLetters = "?*/-+";    // a block's status

// The words of a line up to its comment ('#' begins one wherever it stands).
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// A non-negative integer written as a C++ integer constant (as ddrescue's "%lli" reads it):
// decimal, 0x hexadecimal or 0 octal, with an optional '+'. Empty on success, else why not.
std::string ParseNumber(std::string_view text, std::int64_t& value) {
    const std::string shown(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return "negative number '" + shown + "'";
    int base = 10;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        text.remove_prefix(1);
    }
    if (text.empty()) return "bad number '" + shown + "'";
    std::uint64_t v = 0;
    for (char c : text) {
        const int d = DigitValue(c);
        if (d >= base) return "bad number '" + shown + "'";
        if (v > (std::uint64_t(std::numeric_limits<std::int64_t>::max()) - std::uint64_t(d)) /
                    std::uint64_t(base))
            return "number too large '" + shown + "'";
        v = v * std::uint64_t(base) + std::uint64_t(d);
    }
    value = std::int64_t(v);
    return {};
}

bool IsLetter(const std::string& word, std::string_view letters) {
    return word.size() == 1 && letters.find(word[0]) != std::string_view::npos;
}

std::string Hex(std::int64_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%08" PRIX64, std::uint64_t(value));
    return buf;
}

}  // namespace

bool ParseMapfile(const std::string& text, const std::string& name, DdrescueMap& out,
                  std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    int lastBlockLine = 0;
    bool statusSeen = false;
    std::int64_t end = 0;  // where the next block must begin
    SectorBits notFinished;
    auto fail = [&](int at, const std::string& why) {
        error = name + ":" + std::to_string(at) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        std::string why;
        if (!statusSeen) {
            // current_pos current_status [current_pass]
            std::int64_t pos = 0;
            if (w.size() < 2 || w.size() > 3)
                return fail(lineNo,
                            "bad status line (expected current_pos current_status "
                            "[current_pass])");
            if (!(why = ParseNumber(w[0], pos)).empty()) return fail(lineNo, "status line: " + why);
            if (!IsLetter(w[1], kPhaseLetters))
                return fail(lineNo, "status line: unknown status '" + w[1] +
                                        "' (expected one of ? * / - F G +)");
            if (w.size() == 3) {
                const std::string& pass = w[2];
                const bool digits = pass.find_first_not_of("0123456789") == std::string::npos;
                if (!digits || pass.size() > 9 || std::stoi(pass) < 1)
                    return fail(lineNo,
                                "status line: bad pass '" + pass + "' (a decimal number from 1)");
            }
            statusSeen = true;
            continue;
        }
        // pos size status
        if (w.size() != 3) return fail(lineNo, "bad block line (expected pos size status)");
        std::int64_t pos = 0, size = 0;
        if (!(why = ParseNumber(w[0], pos)).empty() || !(why = ParseNumber(w[1], size)).empty())
            return fail(lineNo, why);
        if (!IsLetter(w[2], kBlockLetters))
            return fail(lineNo, "unknown block status '" + w[2] + "' (expected one of ? * / - +)");
        if (size == 0 && pos != 0) return fail(lineNo, "block of size 0 at byte " + Hex(pos));
        if (size > std::numeric_limits<std::int64_t>::max() - pos)
            return fail(lineNo, "block runs past the largest position");
        if (pos != end) {
            if (lastBlockLine == 0)
                return fail(lineNo, "the first block begins at byte " + Hex(pos) +
                                        ", not 0: the mapfile does not cover the diskette");
            return fail(lineNo, std::string(pos > end ? "gap" : "overlap") +
                                    ": block begins at byte " + Hex(pos) +
                                    ", the block before ends at byte " + Hex(end));
        }
        const std::int64_t blockEnd = pos + size;
        const char status = w[2][0];
        if (status == '+' && blockEnd > kImageSize)
            return fail(lineNo, "finished block goes past the end of the diskette (byte " +
                                    Hex(kImageSize) + ")");
        if (status != '+' && size > 0 && pos < kImageSize) {
            // Every sector that this block touches is not wholly finished.
            const std::int64_t last = std::min(blockEnd, kImageSize) - 1;
            for (std::int64_t s = pos / kSectorSize; s <= last / kSectorSize; ++s)
                notFinished.set(std::size_t(s));
        }
        end = blockEnd;
        lastBlockLine = lineNo;
    }
    if (!statusSeen) return fail(std::max(lineNo, 1), "no status line: not a ddrescue mapfile");
    if (end < kImageSize)
        return fail(lastBlockLine ? lastBlockLine : lineNo,
                    "the blocks end at byte " + Hex(end) + ", short of the diskette's " +
                        Hex(kImageSize) + " (1474560 bytes)");
    out.readable = ~notFinished;
    return true;
}

bool ReadMapfile(const std::string& path, DdrescueMap& out, std::string& error) {
    std::string text;
    switch (ReadSideFile(path, text, error)) {
        case SideFile::Read:
            return ParseMapfile(text, path, out, error);
        case SideFile::Missing:
            error = path + ": the mapfile cannot be read";
            return false;
        case SideFile::Refused:
            error += "; it is not read as a mapfile";
            return false;
    }
    return false;
}

std::string FormatMapfile(const SectorBits& read, const std::string& comment, char unreadStatus) {
    std::string text;
    std::istringstream lines(comment);
    for (std::string line; std::getline(lines, line);) text += "# " + line + "\n";
    const char phase = read.all() ? '+' : unreadStatus == '?' ? '?' : '-';
    text += "# current_pos  current_status  current_pass\n";
    text += Hex(0) + "     " + phase + "               1\n";
    text += "#      pos        size  status\n";
    for (int s = 0; s < kSectorCount;) {
        const bool r = read.test(std::size_t(s));
        int e = s;
        while (e < kSectorCount && read.test(std::size_t(e)) == r) ++e;
        text += Hex(std::int64_t(s) * kSectorSize) + "  " + Hex(std::int64_t(e - s) * kSectorSize) +
                "  " + (r ? '+' : unreadStatus) + "\n";
        s = e;
    }
    return text;
}

std::string FindMapfile(const std::string& imagePath) {
    if (imagePath.empty()) return {};
    struct stat image {};
    const bool imageThere = ::stat(imagePath.c_str(), &image) == 0;
    const std::string candidates[] = {
        imagePath + ".map",
        std::filesystem::path(imagePath).replace_extension(".map").string(),
    };
    for (const std::string& candidate : candidates) {
        struct stat st {};
        if (candidate == imagePath || ::stat(candidate.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (imageThere && st.st_dev == image.st_dev && st.st_ino == image.st_ino) continue;
        return candidate;
    }
    return {};
}

}  // namespace orv

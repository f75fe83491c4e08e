#include "fs/name_text.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>

namespace orv {

namespace {

// Windows-1250, bytes 0x80..0xFF. 0 marks the five bytes the code page leaves undefined.
constexpr char16_t kCp1250High[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// The length of the valid UTF-8 character that starts at i, or 0 when none starts there.
std::size_t CharacterLength(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return std::uint8_t(s[k]); };
    const std::uint8_t b = byte(i);
    std::size_t n;
    char32_t c;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = CharacterLength(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string DisplayText(const std::string& stored) {
    std::string out;
    out.reserve(stored.size());
    if (IsValidUtf8(stored)) {
        for (char c : stored) out.push_back(IsControl(std::uint8_t(c)) ? '?' : c);
        return out;
    }
    for (char ch : stored) {
        const std::uint8_t b = std::uint8_t(ch);
        if (b < 0x80) {
            out.push_back(IsControl(b) ? '?' : char(b));
        } else {
            const char16_t c = kCp1250High[b - 0x80];
            AppendUtf8(out, c ? char32_t(c) : kReplacement);
        }
    }
    return out;
}

namespace {

// The whole text in Windows-1250, or false when a character has no byte there (or the host
// has no converter: the text then stays UTF-8).
bool ToCp1250(const std::string& text, std::string& out) {
    const iconv_t cd = ::iconv_open("WINDOWS-1250", "UTF-8");
    if (cd == iconv_t(-1)) return false;
    // One byte a character: never longer than the UTF-8.
    std::string in = text;
    out.assign(text.size(), '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t rc = ::iconv(cd, &from, &left, &to, &room);
    ::iconv_close(cd);
    if (rc == std::size_t(-1) || left != 0) return false;
    out.resize(out.size() - room);
    return true;
}

}  // namespace

std::string StoredText(const std::string& text, std::size_t maxBytes) {
    const std::string utf8 = Utf8Prefix(text, maxBytes);
    std::string cp;
    if (!IsValidUtf8(text) || !ToCp1250(text, cp)) return utf8;
    cp.resize(std::min(cp.size(), maxBytes));
    // Stored so, the name must come back as the same text, and not be taken for UTF-8.
    if (IsValidUtf8(cp) || DisplayText(cp) != CharacterPrefix(text, cp.size())) return utf8;
    return cp;
}

std::string Utf8Prefix(const std::string& text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t n = std::max<std::size_t>(CharacterLength(text, end), 1);
        if (end + n > maxBytes) break;
        end += n;
    }
    return text.substr(0, end);
}

std::string CharacterPrefix(const std::string& text, std::size_t characters) {
    std::size_t end = 0;
    for (std::size_t n = 0; n < characters && end < text.size(); ++n)
        end += std::max<std::size_t>(CharacterLength(text, end), 1);
    return text.substr(0, end);
}

}  // namespace orv

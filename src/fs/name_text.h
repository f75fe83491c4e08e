// Names read from a diskette, made fit to show. A name is stored as the bytes it was given:
// UTF-8 from this program, or an 8-bit Windows code page (1250, Central European) from older
// programs. What is shown is always valid UTF-8 without control characters.
#pragma once

#include <cstddef>
#include <string>

namespace orv {

bool IsValidUtf8(const std::string& bytes);
// The bytes as text: UTF-8 kept, anything else decoded as Windows-1250; control characters
// become '?'.
std::string DisplayText(const std::string& stored);
// At most maxBytes of the text, never cut inside a UTF-8 character.
std::string Utf8Prefix(const std::string& text, std::size_t maxBytes);
// The first `characters` characters of UTF-8 text.
std::string CharacterPrefix(const std::string& text, std::size_t characters);

}  // namespace orv

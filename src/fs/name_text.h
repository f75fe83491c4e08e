// Names and labels between text and the bytes a diskette stores. A name is stored in the 8-bit
// Windows code page 1250 (Central European) that the diskettes' first program wrote, where it
// can be, and otherwise in UTF-8; bytes that are no text at all are stored as given. What is
// shown is always valid UTF-8 without control characters.
#pragma once

#include <cstddef>
#include <string>

namespace orv {

bool IsValidUtf8(const std::string& bytes);
// The bytes as text: UTF-8 kept, anything else decoded as Windows-1250; control characters
// become '?'.
std::string DisplayText(const std::string& stored);
// The bytes to store for a name or label given as text, at most maxBytes of them: Windows-1250
// where every character of the text has a byte there, the bytes are not also valid UTF-8 (a
// reader takes those for UTF-8) and DisplayText gives the text back; otherwise the UTF-8
// itself. Text that is not UTF-8 is kept as its bytes. Cut at a character, never inside one.
std::string StoredText(const std::string& text, std::size_t maxBytes);
// At most maxBytes of the text, never cut inside a UTF-8 character.
std::string Utf8Prefix(const std::string& text, std::size_t maxBytes);
// The first `characters` characters of UTF-8 text.
std::string CharacterPrefix(const std::string& text, std::size_t characters);

}  // namespace orv

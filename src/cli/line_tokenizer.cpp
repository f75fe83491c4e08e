#include "cli/line_tokenizer.h"

#include <cstring>

namespace orv::cli {

namespace {

enum class Quote { None, Single, Double };

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Inside double quotes a backslash escapes only the characters a shell would treat specially
// there; before any other character it stays, as it does in a shell.
bool EscapableInDoubleQuotes(char c) {
    return c != '\0' && std::strchr("\"\\$`", c) != nullptr;
}

bool NeedsNoQuotes(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("_-+=.,/:@%", c) != nullptr) || c >= 0x80;
}

}  // namespace

bool SplitLine(const std::string& line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    std::string word;
    bool inWord = false;  // also true for a word that is empty so far but quoted ('')
    Quote quote = Quote::None;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote == Quote::Single) {
            if (c == '\'')
                quote = Quote::None;
            else
                word += c;
            continue;
        }
        if (quote == Quote::Double) {
            if (c == '"')
                quote = Quote::None;
            else if (c == '\\' && i + 1 < line.size() && EscapableInDoubleQuotes(line[i + 1]))
                word += line[++i];
            else
                word += c;
            continue;
        }
        if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        if (c == '#' && !inWord) break;
        inWord = true;
        if (c == '\'') {
            quote = Quote::Single;
        } else if (c == '"') {
            quote = Quote::Double;
        } else if (c == '\\') {
            // A shell would read on into the next line; a batch line is complete in itself.
            if (i + 1 == line.size()) {
                error = "the line ends in a backslash";
                return false;
            }
            word += line[++i];
        } else {
            word += c;
        }
    }
    if (quote != Quote::None) {
        error = quote == Quote::Single ? "a single quote is not closed"
                                       : "a double quote is not closed";
        return false;
    }
    if (inWord) words.push_back(std::move(word));
    return true;
}

std::string QuoteWord(const std::string& word) {
    bool plain = !word.empty();
    for (unsigned char c : word) plain = plain && NeedsNoQuotes(c);
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace orv::cli

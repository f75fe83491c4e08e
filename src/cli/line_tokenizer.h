// A line of a batch script split into words the way a shell splits a simple command, without
// any expansion: single quotes keep everything, double quotes keep everything but \" \\ \$ \`,
// a backslash outside quotes keeps the next character, and # at the start of a word begins a
// comment ("#3" as a file number must be quoted or written \#3, as in a shell).
#pragma once

#include <string>
#include <vector>

namespace orv::cli {

// The words of the line (none for a blank or comment line); false with error set when a quote
// is left open or the line ends in a backslash.
bool SplitLine(const std::string& line, std::vector<std::string>& words, std::string& error);

// The word as a line must spell it for SplitLine to give it back: as it is when it holds only
// characters that need no quoting, else in single quotes.
std::string QuoteWord(const std::string& word);

}  // namespace orv::cli

// The checks of the start-position dialog's OK step, shared by both front ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

constexpr std::int32_t kMaxStartPosition = 1000000000;

// Parses a position typed into the dialog. On failure returns nullopt and sets error to the
// validation message ("Please enter an integer." or the range message).
std::optional<std::int32_t> ParsePosition(const std::string& text, std::string& error);

// What the dialog asks the position for. Add from... reads the file from there, so the
// position must lie inside it; Copy at... writes there, and may write at the very end: that
// is where the rest of a file whose add stopped at a position goes.
enum class StartUse { AddFrom, CopyAt };

// The OK step after the position parsed: empty string when the dialog may close, otherwise
// the message to show.
std::string CheckStartPosition(const std::string& file, std::int32_t position, StartUse use);

}  // namespace orv

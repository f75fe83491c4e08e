// What the user types into the repair-file dialog: sector numbers, the start byte and the two
// file names, checked as the dialog's Add and OK buttons check them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/user_port.h"

namespace orv {

using RepairList = std::vector<std::uint32_t>;  // chain positions 1..2816, in the order entered

inline constexpr int kMaxChainPosition = 2816;
inline constexpr std::int32_t kMaxStartByte = 1000000000;

// Blanks, an optional sign, then the leading decimal digits; 0 when there are none ("12abc"
// counts 12). Values beyond the int range saturate.
int SectorNumberFromText(const std::string& text);

// The Add button: true when the text may join the list (as typed); otherwise tells the user
// "Enter sector number between 1 and 2816".
bool AcceptSectorEntry(const std::string& text, IUserPort& user);
// The same, and a position already in the list (as its number, "12abc" being 12) is refused
// with "Sector %d is already in the list.": its piece would only be carried twice.
bool AcceptNewSectorEntry(const std::string& text, const std::vector<std::string>& listed,
                          IUserPort& user);

// The start byte: an integer (blanks around it allowed) in 0..1000000000. On failure nullopt
// and error holds the validation message.
std::optional<std::int32_t> ParseStartByte(const std::string& text, std::string& error);

struct RepairDialogInput {
    std::vector<std::string> entries;  // the list box, as typed
    std::string file;                  // source (create) or the file to be repaired
    std::string repairFile;
    std::string startByte;  // as typed
};

struct RepairRequest {
    RepairList list;
    std::string file;
    std::string repairFile;
    std::int32_t startByte = 0;
};

// The OK button: nullopt (its message shown) keeps the dialog open.
std::optional<RepairRequest> AcceptRepairDialog(const RepairDialogInput& input, IUserPort& user);

// The repair file proposed for a chosen file: same folder, "repair_" before the name.
std::string ProposeRepairFileName(const std::string& path);

}  // namespace orv

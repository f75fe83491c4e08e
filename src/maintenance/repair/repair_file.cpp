#include "maintenance/repair/repair_file.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include "fs/layout.h"
#include "host/host_file.h"
#include "maintenance/repair/repair_texts.h"
#include "ports/text_format.h"

namespace orv {

namespace {

using namespace repair_text;

std::int64_t PiecePosition(std::uint32_t k, std::int32_t startByte) {
    if (k > std::uint32_t(kMaxChainPosition)) k = kMaxChainPosition + 1;  // never a real one
    return std::int64_t(BytesInUnits(std::int32_t(k))) + startByte;
}

std::string CannotOpen(const std::string& path) {
    return path + kCannotOpenSuffix;
}

constexpr std::uint8_t kFiller = 0x58;  // 'X', what a copy writes for a unit that does not read

std::string PositionsText(const std::vector<std::uint32_t>& positions) {
    std::string text;
    for (std::uint32_t k : positions) text += (text.empty() ? "" : ", ") + std::to_string(k);
    return text;
}

// True when both paths name one existing file: writing one would destroy what the other reads.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

int WriteSectToFile(const RepairList& list, std::vector<std::uint8_t>& output,
                    const std::string& sourcePath, std::int32_t startByte, IUserPort& user) {
    output.clear();
    HostFile source;
    if (!source.Open(sourcePath, HostFile::Mode::Read)) {
        Notify(user, CannotOpen(sourcePath));
        return -1;
    }
    const std::int64_t length = source.Length();
    std::uint8_t piece[kUnitDataBytes];
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::uint32_t k = list[i];
        const std::int64_t pos = PiecePosition(k, startByte);
        const bool last = i + 1 == list.size();
        if (length < pos) {
            Notify(user,
                   StrFormat("Cannot seek at possition %ld in \n%s\nWhich is only %ld B. long.",
                             long(pos), sourcePath.c_str(), long(length)));
            return -1;
        }
        if (!source.Seek(pos)) {
            Notify(user,
                   StrFormat("Cannot seek at possition %ld in \n%s\nPossibly bad StartByte or "
                             "number of bad sector.",
                             long(pos), sourcePath.c_str()));
            return -1;
        }
        const int n = ReadHostFile(source, piece, kUnitDataBytes);
        if (n <= 0) {
            Notify(user, StrFormat("%s \n\nCould not read file.", sourcePath.c_str()));
            return -1;
        }
        if (n < kUnitDataBytes && !last) {
            Notify(user, StrFormat("Cannot read sector %d from source file (%ld B).\nPossibly "
                                   "incorrect bad sectors list",
                                   int(k), long(pos)));
            return -1;
        }
        try {
            output.insert(output.end(), piece, piece + n);
        } catch (const std::bad_alloc&) {
            output.clear();
            Notify(user, kWriteSectFailed);
            return -1;
        }
    }
    return 0;
}

int ApplyRepairFile(const RepairList& list, const std::string& repairPath,
                    const std::string& targetPath, std::int32_t startByte, IUserPort& user) {
    HostFile repair, target;
    if (!repair.Open(repairPath, HostFile::Mode::Read)) {
        Notify(user, CannotOpen(repairPath));
        return -1;
    }
    if (SameFile(repairPath, targetPath) || !target.Open(targetPath, HostFile::Mode::ReadWrite)) {
        Notify(user, CannotOpen(targetPath));
        return -1;
    }
    // Read and check everything first: a wrong list or start byte must not leave the target
    // half overwritten.
    const std::int64_t targetLength = target.Length();
    if (targetLength < 0) {
        Notify(user, CannotOpen(targetPath));
        return -1;
    }
    struct Piece {
        std::uint32_t k;
        std::int64_t pos;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::uint32_t k = list[i];
        const std::int64_t pos = PiecePosition(k, startByte);
        const bool last = i + 1 == list.size();
        if (pos > INT32_MAX) {
            Notify(user, StrFormat("Cannot write sector %d to target file (%ld B).\nPossibly "
                                   "incorrect bad sectors list",
                                   int(k), long(pos)));
            return -1;
        }
        Piece piece{k, pos, std::vector<std::uint8_t>(kUnitDataBytes)};
        const int n = ReadHostFile(repair, piece.bytes.data(), kUnitDataBytes);
        if (n < kUnitDataBytes && !last) {
            Notify(user, StrFormat("Cannot read sector %d from source file.", int(k)));
            return -1;
        }
        if (n <= 0) return -1;  // the last piece is missing altogether
        piece.bytes.resize(std::size_t(n));
        pieces.push_back(std::move(piece));
    }
    // Only the filler of a copy is replaced: good bytes there mean a wrong list, start byte
    // or target, and a repair would destroy them.
    std::vector<std::uint32_t> notFiller;
    std::uint8_t held[kUnitDataBytes];
    for (const Piece& piece : pieces) {
        const int inside = int(std::clamp<std::int64_t>(targetLength - piece.pos, 0,
                                                        std::int64_t(piece.bytes.size())));
        if (inside == 0) continue;
        const bool read = target.Seek(piece.pos) && ReadHostFile(target, held, inside) == inside;
        if (!read || std::any_of(held, held + inside, [](std::uint8_t b) { return b != kFiller; }))
            notFiller.push_back(piece.k);
    }
    if (!notFiller.empty()) {
        Notify(user, StrFormat(kNotFiller, PositionsText(notFiller).c_str()));
        return -1;
    }
    // A target cut short has nothing to protect past its end, and takes the pieces there, as
    // long as they join on to it: a stretch that no piece fills would be bytes of nobody's.
    std::vector<const Piece*> past;
    for (const Piece& piece : pieces)
        if (piece.pos + std::int64_t(piece.bytes.size()) > targetLength) past.push_back(&piece);
    std::sort(past.begin(), past.end(),
              [](const Piece* a, const Piece* b) { return a->pos < b->pos; });
    std::int64_t reached = targetLength;
    std::vector<std::uint32_t> stranded;
    for (const Piece* piece : past) {
        if (piece->pos > reached || !stranded.empty()) stranded.push_back(piece->k);
        reached = std::max(reached, piece->pos + std::int64_t(piece->bytes.size()));
    }
    if (!stranded.empty()) {
        Notify(user, StrFormat(kGapPastEnd, PositionsText(stranded).c_str(), long(targetLength)));
        return -1;
    }
    for (const Piece& piece : pieces) {
        if (!target.Seek(piece.pos) ||
            WriteHostFile(target, piece.bytes.data(), int(piece.bytes.size())) != 0)
            return -1;
    }
    return target.Close() ? 0 : -1;
}

int CreateRepairFile(const RepairRequest& request, IUserPort& user) {
    std::vector<std::uint8_t> pieces;
    if (WriteSectToFile(request.list, pieces, request.file, request.startByte, user) != 0) {
        Notify(user, kCreateFailed);
        return -1;
    }
    HostFile out;
    if (SameFile(request.file, request.repairFile) ||
        !out.Open(request.repairFile, HostFile::Mode::CreateTruncate)) {
        Notify(user, request.repairFile + kCannotCreateSuffix);
        return -1;
    }
    const bool written =
        pieces.empty() || WriteHostFile(out, pieces.data(), int(pieces.size())) == 0;
    if (!out.Close() || !written) {
        // A truncated repair file would repair wrongly later; leave none.
        std::error_code ec;
        std::filesystem::remove(request.repairFile, ec);
        Notify(user, kCreateFailed);
        return -1;
    }
    Notify(user, StrFormat("%ld B copied", long(pieces.size())), Icon::Information);
    return 0;
}

int RepairFromRepairFile(const RepairRequest& request, IUserPort& user) {
    if (ApplyRepairFile(request.list, request.repairFile, request.file, request.startByte, user) !=
        0) {
        Notify(user, kNotRepaired);
        return -1;
    }
    Notify(user, kRepaired, Icon::Information);
    return 0;
}

}  // namespace orv

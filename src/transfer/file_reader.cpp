#include "transfer/file_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "fs/chain_reader.h"
#include "fs/layout.h"
#include "transfer/file_loops.h"

namespace orv {

long FileImage::Serve(std::int64_t offset, std::size_t size, bool filler, char* out) const {
    const auto length = std::int64_t(bytes.size());
    if (offset < 0) return -EINVAL;
    if (offset >= length || size == 0) return 0;
    std::int64_t end = std::min(offset + std::int64_t(size), length);
    if (!filler) {
        for (std::uint32_t position : bad) {
            const std::int64_t first = ChainPieceOffset(position);
            const std::int64_t last = first + ChainPieceCapacity(position);
            if (last <= offset) continue;
            if (first <= offset) return -EIO;
            end = std::min(end, first);
            break;
        }
    }
    std::memcpy(out, bytes.data() + offset, std::size_t(end - offset));
    return long(end - offset);
}

std::string FileImage::BadText() const {
    std::string text;
    for (std::uint32_t position : bad) text += (text.empty() ? "" : ",") + std::to_string(position);
    return text;
}

bool ReadFileImage(CVolume& volume, const FileRecord& record, std::int32_t bytes, FileImage& image,
                   IoError& cause) {
    image = FileImage{};
    image.bytes.assign(std::size_t(std::max(bytes, 0)), 0);
    CChainReader chain(volume, ChainTag::Of(record));
    std::array<std::uint8_t, kSectorSize> sector;
    for (std::uint32_t p = 0; ChainPieceOffset(p) < bytes; ++p) {
        const std::int32_t offset = ChainPieceOffset(p);
        const auto length = std::size_t(std::min(ChainPieceCapacity(p), bytes - offset));
        const ChainUnit unit = std::int64_t(p) < chain.Count() ? chain.Read(p, sector.data())
                                                               : ChainUnit{UnitRead::NotOwn};
        if (unit.DriveFailed()) {
            cause = unit.cause;
            return false;
        }
        if (unit.how == UnitRead::Own) {
            std::memcpy(image.bytes.data() + offset, sector.data() + ChainPieceHeader(p), length);
        } else {
            std::memset(image.bytes.data() + offset, kCopyFiller, length);
            image.bad.push_back(p);
        }
    }
    return true;
}

DisketteRoom RoomOf(const CVolume* volume) {
    DisketteRoom room;
    room.unitBytes = kUnitDataBytes;
    room.units = kUnitCount;
    if (volume == nullptr) return room;
    room.freeUnits = volume->FreeUnitCount();
    room.fileBytes = BytesInUnits(room.freeUnits);
    return room;
}

}  // namespace orv

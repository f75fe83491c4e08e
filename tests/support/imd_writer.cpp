#include "support/imd_writer.h"

#include <algorithm>
#include <numeric>

#include "disk/imd_file.h"

namespace orv::tests {

namespace {

std::uint8_t PlainType(ImdSector status) {
    switch (status) {
        case ImdSector::Deleted:
            return IMD_DELETED;
        case ImdSector::DataError:
            return IMD_ERROR;
        case ImdSector::DeletedDataError:
            return IMD_DELETED_ERROR;
        default:
            return IMD_DATA;
    }
}

// One record of a sector and its ID's cylinder.
struct SectorEntry {
    std::uint8_t number;
    std::uint8_t idCylinder;
    Bytes record;
};

SectorEntry Entry(int cylinder, int number, ImdSector status, const std::uint8_t* data,
                  bool compress) {
    SectorEntry e{std::uint8_t(number), std::uint8_t(cylinder), {}};
    if (status == ImdSector::WrongId) e.idCylinder = std::uint8_t((cylinder + 1) % kCylinders);
    e.record = status == ImdSector::Unavailable ? Bytes{IMD_UNAVAILABLE}
                                                : ImdRecord(PlainType(status), data, compress);
    return e;
}

}  // namespace

Bytes ImdHeader(const std::string& comment) {
    const std::string text = "IMD 1.18: 01/02/2024 10:20:30\r\n" + comment;
    Bytes file(text.begin(), text.end());
    file.push_back(kImdCommentEnd);
    return file;
}

void AppendImdTrack(Bytes& file, const ImdTrack& t) {
    std::uint8_t head = t.head;
    if (!t.cylinders.empty()) head |= kImdCylinderMapFlag;
    if (!t.heads.empty()) head |= kImdHeadMapFlag;
    const Bytes header{t.mode, t.cylinder, head, std::uint8_t(t.numbers.size()), t.sizeCode};
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), t.numbers.begin(), t.numbers.end());
    file.insert(file.end(), t.cylinders.begin(), t.cylinders.end());
    file.insert(file.end(), t.heads.begin(), t.heads.end());
    for (const Bytes& r : t.records) file.insert(file.end(), r.begin(), r.end());
}

Bytes ImdRecord(std::uint8_t type, const std::uint8_t* sector, bool compress) {
    const bool uniform =
        std::all_of(sector, sector + kSectorSize, [&](std::uint8_t b) { return b == sector[0]; });
    if (compress && uniform) return Bytes{std::uint8_t(type + 1), sector[0]};
    Bytes record{type};
    record.insert(record.end(), sector, sector + kSectorSize);
    return record;
}

bool ImdSectorReads(ImdSector status) {
    return status == ImdSector::Data || status == ImdSector::Deleted;
}

Bytes WriteImd(const Bytes& image, const ImdLayout& layout) {
    Bytes file = ImdHeader(layout.comment);
    std::vector<int> tracks = layout.trackOrder;
    if (tracks.empty()) {
        tracks.resize(kImdTracks);
        std::iota(tracks.begin(), tracks.end(), 0);
    }
    for (int t : tracks) {
        const int cylinder = t / kHeads, head = t % kHeads;
        std::vector<int> order = layout.order[std::size_t(t)];
        if (order.empty()) {
            order.resize(kSectorsPerTrack);
            std::iota(order.begin(), order.end(), 1);
        }
        std::vector<SectorEntry> entries;
        auto sectorAt = [&](int number) { return *FromChs(Chs{cylinder, head, number}); };
        for (int number : order) {
            const int s = sectorAt(number);
            const ImdSector status = layout.sectors[std::size_t(s)];
            if (status == ImdSector::Absent) continue;
            entries.push_back(Entry(cylinder, number, status,
                                    image.data() + std::size_t(s) * kSectorSize, layout.compress));
        }
        for (const ImdExtraCopy& extra : layout.extras) {
            const Chs at = ToChs(extra.sector);
            if (at.cylinder != cylinder || at.head != head) continue;
            entries.push_back(
                Entry(cylinder, at.sector, extra.status, extra.data.data(), layout.compress));
        }
        if (entries.empty() && !layout.emptyTrackWritten[std::size_t(t)]) continue;

        ImdTrack track;
        track.cylinder = std::uint8_t(cylinder);
        track.head = std::uint8_t(head);
        const bool wrongId = std::any_of(entries.begin(), entries.end(),
                                         [&](const auto& e) { return e.idCylinder != cylinder; });
        for (const SectorEntry& e : entries) {
            track.numbers.push_back(e.number);
            if (layout.cylinderMap[std::size_t(t)] || wrongId)
                track.cylinders.push_back(e.idCylinder);
            if (layout.headMap[std::size_t(t)]) track.heads.push_back(std::uint8_t(head));
            track.records.push_back(e.record);
        }
        AppendImdTrack(file, track);
    }
    return file;
}

Bytes WriteImd(const Bytes& image) {
    return WriteImd(image, ImdLayout{});
}

ImdLayout RandomImdLayout(const Bytes& image, std::mt19937& rng) {
    ImdLayout layout;
    auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(rng) < percent;
    };
    // Most sectors read; the rest of every kind, in runs as a scratch leaves them.
    constexpr ImdSector kDamage[] = {ImdSector::Deleted,          ImdSector::DataError,
                                     ImdSector::DeletedDataError, ImdSector::Unavailable,
                                     ImdSector::WrongId,          ImdSector::Absent};
    std::uniform_int_distribution<int> kind(0, int(std::size(kDamage)) - 1);
    std::uniform_int_distribution<int> sector(0, kSectorCount - 1);
    const int runs = std::uniform_int_distribution<int>(0, 40)(rng);
    for (int r = 0; r < runs; ++r) {
        const int first = sector(rng);
        const int length = std::uniform_int_distribution<int>(1, 20)(rng);
        const ImdSector status = kDamage[kind(rng)];
        for (int s = first; s < std::min(first + length, kSectorCount); ++s)
            layout.sectors[std::size_t(s)] = status;
    }
    for (int t = 0; t < kImdTracks; ++t) {
        const auto i = std::size_t(t);
        // A whole track missing, or the last sectors of a track that the reader gave up on.
        if (chance(3))
            for (int n = 1; n <= kSectorsPerTrack; ++n)
                layout.sectors[std::size_t(*FromChs(Chs{t / kHeads, t % kHeads, n}))] =
                    ImdSector::Absent;
        std::vector<int> order(kSectorsPerTrack);
        std::iota(order.begin(), order.end(), 1);
        if (chance(50)) {
            // An interleave or a read that began anywhere on the track.
            std::rotate(
                order.begin(),
                order.begin() + std::uniform_int_distribution<int>(0, kSectorsPerTrack - 1)(rng),
                order.end());
            if (chance(50)) std::shuffle(order.begin(), order.end(), rng);
        }
        if (chance(5))
            order.resize(
                std::size_t(std::uniform_int_distribution<int>(0, kSectorsPerTrack - 1)(rng)));
        layout.order[i] = order;
        layout.cylinderMap[i] = chance(10);
        layout.headMap[i] = chance(10);
        layout.emptyTrackWritten[i] = chance(50);
    }
    // Omitted from the order: absent as well, whatever its status said.
    for (int t = 0; t < kImdTracks; ++t) {
        const auto& order = layout.order[std::size_t(t)];
        for (int n = 1; n <= kSectorsPerTrack; ++n)
            if (std::find(order.begin(), order.end(), n) == order.end())
                layout.sectors[std::size_t(*FromChs(Chs{t / kHeads, t % kHeads, n}))] =
                    ImdSector::Absent;
    }
    layout.trackOrder.resize(kImdTracks);
    std::iota(layout.trackOrder.begin(), layout.trackOrder.end(), 0);
    if (chance(30)) std::shuffle(layout.trackOrder.begin(), layout.trackOrder.end(), rng);
    layout.compress = chance(80);
    const int extras = std::uniform_int_distribution<int>(0, 10)(rng);
    for (int e = 0; e < extras; ++e) {
        constexpr ImdSector kSecond[] = {ImdSector::Data, ImdSector::DataError,
                                         ImdSector::Unavailable};
        ImdExtraCopy copy{sector(rng), kSecond[std::uniform_int_distribution<int>(0, 2)(rng)], {}};
        const auto at = image.begin() + std::ptrdiff_t(copy.sector) * kSectorSize;
        copy.data.assign(at, at + kSectorSize);
        if (chance(40)) copy.data[std::size_t(sector(rng)) % kSectorSize] ^= 0x5A;
        layout.extras.push_back(std::move(copy));
    }
    return layout;
}

}  // namespace orv::tests

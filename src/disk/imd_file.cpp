#include "disk/imd_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "host/full_io.h"
#include "host/unique_fd.h"

namespace orv {

namespace {

constexpr char kSignature[] = "IMD ";
constexpr std::size_t kSignatureSize = sizeof kSignature - 1;

// Where a sector stands among the copies of it that the file holds: a flux reader may record a
// sector more than once (a track read again, a sector seen twice in one turn).
enum class Copies : std::uint8_t { None, Read, Disagree };

class Cursor {
public:
    Cursor(const std::uint8_t* bytes, std::size_t size, std::size_t at)
        : m_bytes(bytes), m_size(size), m_at(at) {}
    bool AtEnd() const { return m_at >= m_size; }
    // The next n bytes, or null (and nothing taken) when the file ends first.
    const std::uint8_t* Take(std::size_t n) {
        if (m_size - m_at < n) return nullptr;
        const std::uint8_t* at = m_bytes + m_at;
        m_at += n;
        return at;
    }

private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_at;
};

std::string Where(int cylinder, int head) {
    return "cylinder " + std::to_string(cylinder) + ", head " + std::to_string(head);
}

std::string CannotBe(const std::string& what) {
    return "this ImageDisk file cannot be of a 1.44 MB diskette: " + what;
}

std::string CutShort(const std::string& where) {
    return "this ImageDisk file is cut short: it ends inside " + where;
}

std::string SizeCodeText(std::uint8_t code) {
    const std::string bytes =
        code <= 6 ? "sectors of " + std::to_string(128 << code) + " bytes " : std::string();
    return bytes + "(size code " + std::to_string(code) + ")";
}

bool IsReadRecord(std::uint8_t type) {
    return type >= IMD_DATA && type <= IMD_DELETED_COMPRESSED;
}

// Odd types carry the whole sector, even ones the one byte it is filled with.
std::size_t RecordDataSize(std::uint8_t type) {
    if (type == IMD_UNAVAILABLE) return 0;
    return type % 2 == 1 ? std::size_t(kSectorSize) : 1;
}

class ImdParser {
public:
    ImdParser(const std::uint8_t* bytes, std::size_t size, ImdDiskette& out)
        : m_bytes(bytes), m_size(size), m_out(out) {}

    bool Parse(std::string& error);

private:
    bool ParseTrack(Cursor& in, int index, std::string& error);
    void Record(int sector, const std::uint8_t* data, std::size_t dataSize);

    const std::uint8_t* m_bytes;
    std::size_t m_size;
    ImdDiskette& m_out;
    std::array<Copies, kSectorCount> m_copies{};
};

bool ImdParser::Parse(std::string& error) {
    m_out.data.assign(std::size_t(kImageSize), 0);
    m_out.readable.reset();
    if (!HasImdSignature(m_bytes, m_size)) {
        error = "not an ImageDisk file (it does not begin with \"IMD \")";
        return false;
    }
    // The header line and the comment are text for people; the tracks begin after the 0x1A
    // that ends them.
    const std::uint8_t* end = std::find(m_bytes, m_bytes + m_size, kImdCommentEnd);
    if (end == m_bytes + m_size) {
        error = CutShort("its comment (no byte 0x1A ends it)");
        return false;
    }
    Cursor in(m_bytes, m_size, std::size_t(end - m_bytes) + 1);
    for (int index = 1; !in.AtEnd(); ++index)
        if (!ParseTrack(in, index, error)) return false;
    for (int s = 0; s < kSectorCount; ++s)
        m_out.readable[std::size_t(s)] = m_copies[std::size_t(s)] == Copies::Read;
    return true;
}

bool ImdParser::ParseTrack(Cursor& in, int index, std::string& error) {
    const std::uint8_t* header = in.Take(5);
    if (!header) {
        error = CutShort("the header of track " + std::to_string(index) + " of the file");
        return false;
    }
    // header[0], the mode (data rate and encoding), says nothing about where sectors lie.
    const int cylinder = header[1];
    const std::uint8_t headByte = header[2];
    const int head = headByte & ~(kImdCylinderMapFlag | kImdHeadMapFlag);
    const std::size_t count = header[3];
    const std::uint8_t sizeCode = header[4];
    if (cylinder >= kCylinders) {
        error = CannotBe("track " + std::to_string(index) + " of the file is on cylinder " +
                         std::to_string(cylinder) + ", and the diskette has cylinders 0 to 79");
        return false;
    }
    if (head >= kHeads) {
        error = CannotBe("track " + std::to_string(index) + " of the file is on head " +
                         std::to_string(head) + ", and the diskette has heads 0 and 1");
        return false;
    }
    const std::string where = Where(cylinder, head);
    // A track that holds no sector (nothing of it read) has no size to speak of.
    if (count > 0 && sizeCode != kImdSizeCode512) {
        error = CannotBe(where + " holds " + SizeCodeText(sizeCode) +
                         ", and the diskette's sectors are of 512 bytes (size code 2)");
        return false;
    }
    const std::uint8_t* numbers = in.Take(count);
    const std::uint8_t* cylinders =
        numbers && (headByte & kImdCylinderMapFlag) ? in.Take(count) : nullptr;
    const std::uint8_t* heads = numbers && (headByte & kImdHeadMapFlag) ? in.Take(count) : nullptr;
    if (!numbers || (!cylinders && (headByte & kImdCylinderMapFlag)) ||
        (!heads && (headByte & kImdHeadMapFlag))) {
        error = CutShort("the sector maps of " + where);
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (numbers[i] < 1 || numbers[i] > kSectorsPerTrack) {
            error = CannotBe(where + " holds a sector numbered " + std::to_string(numbers[i]) +
                             ", and the diskette numbers its sectors 1 to 18");
            return false;
        }
    }
    // Records follow in the order the sectors passed the head, which the numbering map gives.
    for (std::size_t i = 0; i < count; ++i) {
        const int number = numbers[i];
        const std::uint8_t* type = in.Take(1);
        if (!type) {
            error = CutShort(where + ", sector " + std::to_string(number));
            return false;
        }
        if (*type > IMD_DELETED_ERROR_COMPRESSED) {
            error = "this is no ImageDisk file that can be read: " + where + ", sector " +
                    std::to_string(number) + " has a record of type " + std::to_string(*type) +
                    " (ImageDisk's are 0 to 8)";
            return false;
        }
        const std::size_t dataSize = RecordDataSize(*type);
        const std::uint8_t* data = in.Take(dataSize);
        if (!data) {
            error = CutShort(where + ", sector " + std::to_string(number));
            return false;
        }
        // A sector whose own ID names another place is not the one a drive finds here: asked
        // for this place, the drive reports the sector missing.
        const bool idHere =
            (!cylinders || cylinders[i] == cylinder) && (!heads || heads[i] == head);
        if (IsReadRecord(*type) && idHere)
            Record(FromChs(Chs{cylinder, head, number}), data, dataSize);
    }
    return true;
}

void ImdParser::Record(int sector, const std::uint8_t* data, std::size_t dataSize) {
    std::uint8_t sectorBytes[kSectorSize];
    if (dataSize == 1)
        std::fill_n(sectorBytes, kSectorSize, data[0]);
    else
        std::copy_n(data, kSectorSize, sectorBytes);
    std::uint8_t* place = m_out.data.data() + std::size_t(sector) * kSectorSize;
    Copies& copies = m_copies[std::size_t(sector)];
    switch (copies) {
        case Copies::None:
            std::copy_n(sectorBytes, kSectorSize, place);
            copies = Copies::Read;
            break;
        case Copies::Read:
            // Two reads that differ: neither can be trusted to be what was written.
            if (!std::equal(sectorBytes, sectorBytes + kSectorSize, place)) {
                std::fill_n(place, kSectorSize, std::uint8_t{0});
                copies = Copies::Disagree;
            }
            break;
        case Copies::Disagree:
            break;
    }
}

}  // namespace

bool HasImdSignature(const std::uint8_t* bytes, std::size_t size) {
    return size >= kSignatureSize && std::memcmp(bytes, kSignature, kSignatureSize) == 0;
}

bool IsImdFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return false;
    std::uint8_t head[kSignatureSize];
    const ssize_t got = ReadFullyAt(fd.Get(), head, sizeof head, 0);
    return got == ssize_t(sizeof head) && HasImdSignature(head, sizeof head);
}

bool ParseImd(const std::uint8_t* bytes, std::size_t size, ImdDiskette& out, std::string& error) {
    return ImdParser(bytes, size, out).Parse(error);
}

}  // namespace orv

// Long random sequences of allocation, release, bad marks and table writes on a diskette that
// wears out while it is used. After every step the table in memory, both copies on the
// diskette, the ID sectors and the files' data must still agree, and no write may have landed
// outside the system area and the units the table gives to the system.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <sstream>

#include "support/memory_disk.h"
#include "support/scoped_clock.h"

namespace orv {
namespace {

using tests::MemoryDisk;
using tests::SectorImage;

class RandomSession {
public:
    explicit RandomSession(std::uint32_t seed) : m_rng(seed), m_clock(1'700'000'000) {}

    // A worn diskette starts with its spare sectors gone, so that table sectors have to move
    // into the data area.
    void Run(int steps, bool worn) {
        ASSERT_TRUE(tests::QuickFormat(m_volume, "RANDOM"));
        if (worn) m_disk.Faults().SetRange(26, kSystemAreaLast, Fault::Unwritable);
        for (int step = 0; step < steps; ++step) {
            m_clock.Advance(1);
            const int op = Pick(0, 99);
            std::ostringstream what;
            if (op < 35) {
                what << "allocate";
                Allocate();
            } else if (op < 55) {
                what << "release";
                Release();
            } else if (op < 70) {
                what << "mark bad";
                MarkBad();
            } else if (op < 85) {
                what << "write table";
                WriteTable();
            } else if (op < 93) {
                what << "wear";
                Wear();
            } else if (op < 95) {
                what << "write while protected";
                m_disk.Faults().SetWriteProtected(true);
                WriteTable();
                m_disk.Faults().SetWriteProtected(false);
            } else if (op < 98) {
                what << "write while the drive gives out";
                m_disk.Recorder().FailWritesAfter(Pick(0, 12));
                WriteTable();
                m_disk.Recorder().FailWritesAfter(-1);
            } else {
                what << "write with a passing failure";
                MemoryMedium::Hooks hooks;
                hooks.failWriteRequest = m_disk.Medium().WriteRequests() + Pick(1, 8);
                m_disk.Medium().SetHooks(hooks);
                WriteTable();
                m_disk.Medium().SetHooks({});
            }
            SCOPED_TRACE("step " + std::to_string(step) + ": " + what.str());
            Check();
            if (::testing::Test::HasFailure()) return;
        }
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    SectorImage UnitImage(const FileRecord& record, bool header) {
        SectorImage unit;
        for (auto& b : unit) b = std::uint8_t(m_rng());
        if (header)
            CVolume::BuildHeader(record, unit.data());
        else
            CVolume::BuildUnitHeader(record, unit.data());
        return unit;
    }

    // The write loop in small: runs of verified or unverified free units, a run that refuses
    // the write is retried sector by sector and refusing sectors become bad.
    void Allocate() {
        const std::optional<int> free = m_volume.FindFreeFileNumber();
        if (!free) return;
        const int number = *free;
        const FileRecord record = tests::MakeRecord(number, "f" + std::to_string(number), "dat",
                                                    std::uint32_t(Pick(0, 30000)));
        const bool verify = Pick(0, 1) == 1;
        int remaining = Pick(1, 45);
        bool header = true;
        while (remaining > 0) {
            const Result<std::optional<UnitRun>> next =
                m_volume.NextRun(std::min(remaining, 18), verify);
            ASSERT_TRUE(next) << "a memory diskette's drive never fails as a whole";
            if (!*next) break;
            const int first = (*next)->first;
            const int run = (*next)->count;
            std::vector<std::uint8_t> images(std::size_t(run) * kSectorSize);
            for (int i = 0; i < run; ++i) {
                const SectorImage unit = UnitImage(record, header && i == 0);
                std::copy(unit.begin(), unit.end(), images.begin() + i * kSectorSize);
            }
            const bool whole = m_volume.Device().WriteSectors(0, first, run, images.data()).Ok();
            for (int i = 0; i < run; ++i) {
                const int s = first + i;
                const std::uint8_t* image = images.data() + i * kSectorSize;
                if (!whole && !m_volume.WriteSector(s, image)) {
                    m_volume.MarkBad(s);
                    continue;
                }
                m_volume.SetUnits(s, number, 1);
                SectorImage unit;
                std::copy(image, image + kSectorSize, unit.begin());
                m_content[s] = unit;
                m_files[number].insert(s);
                header = false;
                --remaining;
            }
        }
        if (Pick(0, 2) > 0) WriteTable();
    }

    void Release() {
        if (m_files.empty()) return;
        auto it = std::next(m_files.begin(), Pick(0, int(m_files.size()) - 1));
        const int number = it->first;
        for (int s : it->second) m_content.erase(s);
        m_files.erase(it);
        if (Pick(0, 1) == 1) {
            m_volume.ReleaseFile(number);
            return;
        }
        m_disk.ClearWrites();
        const bool deleted = m_volume.DeleteFile(number, true).Ok();
        m_bTableOk = deleted;
        m_bIdsOk = deleted;
        CheckWrites();
    }

    void MarkBad() {
        const int s = Pick(kFirstDataSector, kSectorCount - 1);
        const std::uint16_t entry = m_volume.Fat().entries[UnitOfSector(s)];
        if (entry == FAT_SYSTEM) return;  // a table sector lives there
        if (IsFileNumber(entry)) {
            m_files[entry].erase(s);
            if (m_files[entry].empty()) m_files.erase(entry);
            m_content.erase(s);
        }
        m_volume.MarkBad(s);
    }

    void WriteTable() {
        m_disk.ClearWrites();
        const Result<int> moved = m_volume.WriteFat();
        m_bTableOk = moved.Ok();
        // With no move left to record, the ID sectors must already name every position.
        if (moved) m_bIdsOk = *moved == 0 || m_volume.WriteIdSectors(nullptr, nullptr).Ok();
        CheckWrites();
    }

    // Sectors wear out where they are used: the system area's current sectors and the lowest
    // units, which allocation takes first.
    void Wear() {
        static constexpr Fault kKinds[] = {Fault::Unreadable, Fault::Unwritable, Fault::Bad};
        const Fault kind = kKinds[Pick(0, 2)];
        const CFatTable& fat = m_volume.Fat();
        int s = 0;
        switch (Pick(0, 9)) {
            case 0:
                s = m_volume.Ids().positions[std::size_t(Pick(0, 2))];
                break;
            case 1:
            case 2:
            case 3:
                s = (Pick(0, 1) ? fat.pos1 : fat.pos2)[std::size_t(Pick(0, 10))];
                break;
            case 4:
                s = Pick(1, kSystemAreaLast);
                break;
            case 9:
                s = Pick(64, kSectorCount - 1);
                break;
            default:
                s = Pick(64, 64 + 600);
                break;
        }
        if (s > 0) m_disk.Faults().Set(s, kind);
    }

    // Where the volume may write: the system area, units the table gives to the system (moved
    // table sectors), and the reserve ID copy while the last unit is free.
    void CheckWrites() {
        const CFatTable& fat = m_volume.Fat();
        for (int s : m_disk.WrittenSectors()) {
            if (s >= kSystemAreaFirst && s <= kSystemAreaLast) continue;
            if (IsDataSector(s) && fat.entries[UnitOfSector(s)] == FAT_SYSTEM &&
                fat.InPositionTables(s))
                continue;
            if (s == kReserveIdSector && fat.entries[UnitOfSector(s)] == FAT_FREE &&
                IdHasSignature(m_disk.Raw(s).data()))
                continue;
            ADD_FAILURE() << "the volume wrote sector " << s << " (entry "
                          << (IsDataSector(s) ? fat.entries[UnitOfSector(s)] : -1) << ")";
        }
    }

    void Check() {
        const CFatTable& fat = m_volume.Fat();
        for (int u = 0; u < kUnitCount; ++u)
            ASSERT_TRUE(IsValidFatValue(fat.entries[u])) << "unit " << u << ": " << fat.entries[u];

        // Positions: distinct, on the diskette, data-area ones are system units.
        std::set<int> used;
        for (int pos : m_volume.Ids().positions)
            if (pos != 0) {
                ASSERT_TRUE(used.insert(pos).second) << "ID position twice: " << pos;
            }
        for (const FatPositions* table : {&fat.pos1, &fat.pos2}) {
            for (int pos : *table) {
                ASSERT_TRUE(used.insert(pos).second) << "sector " << pos << " used twice";
                ASSERT_TRUE(pos >= 1 && pos < kSectorCount) << pos;
                if (IsDataSector(pos)) {
                    ASSERT_EQ(fat.entries[UnitOfSector(pos)], FAT_SYSTEM) << pos;
                }
            }
        }

        // The table knows exactly the files the session made, and their data is untouched.
        std::map<int, std::set<int>> inTable;
        for (int u = 0; u < kUnitCount; ++u)
            if (IsFileNumber(fat.entries[u])) inTable[fat.entries[u]].insert(SectorOfUnit(u));
        ASSERT_EQ(inTable, m_files);
        for (const auto& [s, unit] : m_content)
            ASSERT_EQ(m_disk.Raw(s), unit) << "data of sector " << s << " was overwritten";

        if (!m_bTableOk || fat.AnyDirty()) return;

        // Both copies on the diskette hold the table.
        for (int k = 0; k < kFatSectorCount; ++k) {
            for (int pos : {int(fat.pos1[k]), int(fat.pos2[k])}) {
                const SectorImage s = m_disk.Raw(pos);
                for (int i = 0; i < kEntriesPerFatSector; ++i)
                    ASSERT_EQ(GetU16(s.data() + 2 * i), fat.entries[k * kEntriesPerFatSector + i])
                        << "table sector " << k << " in sector " << pos << ", entry " << i;
            }
        }
        if (!m_bIdsOk) return;

        // The ID sectors record where the table is, and a new session reads the same table.
        for (int pos : m_volume.Ids().positions) {
            if (pos == 0) continue;
            IdRecord id;
            ASSERT_TRUE(ParseIdRecordBytes(m_disk.Raw(pos).data(), id)) << pos;
            ASSERT_EQ(id.fat1, fat.pos1) << "ID sector " << pos;
            ASSERT_EQ(id.fat2, fat.pos2) << "ID sector " << pos;
        }
        // Once every current ID sector is unreadable, an older record left in a sector that
        // refused its rewrite is all a new session can find; that is a case for the disk service.
        bool identified = false;
        for (int pos : m_volume.Ids().positions) {
            SectorImage s;
            identified = identified || (pos != 0 && m_volume.ReadSector(pos, s.data()).Ok());
        }
        if (!identified) return;
        CVolume next(&m_disk.Drive());
        if (tests::OpenVolume(next)) {
            ASSERT_EQ(next.Fat().pos1, fat.pos1);
            ASSERT_EQ(next.Fat().pos2, fat.pos2);
            ASSERT_EQ(next.Fat().entries, fat.entries);
        }
    }

    std::mt19937 m_rng;
    tests::ScopedClock m_clock;
    MemoryDisk m_disk;
    CVolume m_volume{&m_disk.Drive()};
    std::map<int, std::set<int>> m_files;  // file number -> its sectors
    std::map<int, SectorImage> m_content;  // what each of those sectors must still hold
    bool m_bTableOk = true;
    bool m_bIdsOk = true;
};

TEST(RandomVolume, TableCopiesIdSectorsAndDataStayConsistent) {
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomSession session(seed);
        session.Run(100, seed % 4 == 0);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace orv

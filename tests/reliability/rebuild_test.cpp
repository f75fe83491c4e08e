// Seeded random diskettes whose table is lost and rebuilt by the full test, held against what
// must survive. Files come and go through the document (numbers and extensions used again,
// units that refuse writes gone around, a longer file in the place of two that leaves the rest of
// the upper one headless), units inside files stop reading or become holes as an
// image made by another tool has them (zeros, a reader's 0xF6 filler, another file's unit),
// owner tags 10001..12816 sit in the table, some files carry a date of 0 or one in the future;
// then table sectors or the whole system area are lost, the last table write is cut short in
// copy 2, or nothing of the system area is. A
// failing scenario prints its seed; ORVALIS_REBUILD_SEED=N replays it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "fs/volume.h"
#include "maintenance/diskservice/system_parts_test.h"
#include "reliability/harness.h"

namespace orv::reliability {
namespace {

struct Tally {
    long scenarios = 0, files = 0, unreadable = 0, holes = 0, uncertain = 0, damaged = 0;
    long shadowed = 0, wiped = 0, cut = 0, headless = 0;
};

// What a damaged unit of a file holds now.
enum class Hole {
    Unreadable,  // the sector fails its reads
    Zeros,       // a sector that another tool never read, left as zeros
    Filler,      // the same, as the 0xF6 a fresh diskette holds
    Foreign,     // another file's unit copied over it
};
Tally g_tally;

struct LiveFile {
    Bytes bytes;
    int number = 0;
    std::vector<int> sectors;
    bool headerReads = true;
    std::map<int, Hole> holes;  // chain position -> what it holds now
    // A unit outside the file carries its number and extension: an older file's, left in a
    // unit that refused every write since.
    bool shadowed = false;
};

// The bytes of a copy that stand for the units it reported (the filler it wrote for them).
std::int32_t FilledBytes(const ReadBackFile& file) {
    std::int32_t filled = 0;
    for (std::size_t i = 0; i < file.bytes.size(); ++i) {
        const std::uint32_t p =
            i < std::size_t(kHeaderDataBytes)
                ? 0
                : std::uint32_t(1 + (i - std::size_t(kHeaderDataBytes)) / kUnitDataBytes);
        if (std::find(file.badList.begin(), file.badList.end(), p) != file.badList.end()) ++filled;
    }
    return filled;
}

class Scenario {
public:
    Scenario(std::uint32_t seed, const Medium& blank)
        : m_rng(seed), m_seed(seed), m_medium(Clone(*blank)) {}

    // Empty when the rebuilt diskette holds what it must, else what is wrong.
    std::string Run() {
        Build();
        if (m_error.empty()) Damage();
        if (m_error.empty()) RebuildAndCheck();
        return m_error.empty() ? "" : m_error + " (" + m_log.str() + ")";
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    void Fail(const std::string& what) {
        if (m_error.empty()) m_error = what;
    }

    void Build() {
        Rig rig(m_medium);
        if (rig.Open() != 0) return Fail("the blank diskette does not open");
        // A calm diskette: no deletes, no faults. Nothing on it can be in doubt.
        m_calm = Pick(0, 4) == 0;
        const int steps = Pick(4, 16);
        for (int i = 0; i < steps && m_error.empty(); ++i) {
            if (i == steps - 1) KeepCopyTwo(rig.doc->Volume());
            if (!m_calm && !m_live.empty() && Pick(0, 2) == 0) {
                if (Pick(0, 2) != 0 || !Replace(rig, i))
                    Delete(rig, std::next(m_live.begin(), Pick(0, int(m_live.size()) - 1)));
            } else {
                Add(rig, i);
            }
            if (!m_calm && Pick(0, 3) == 0) Wear(rig);
        }
        CVolume& volume = rig.doc->Volume();
        for (auto& [name, file] : m_live) {
            const FileRecord* r = rig.Listed(name);
            if (!r) return Fail(name + " is not listed after its add");
            file.number = r->fileNumber;
            volume.CollectUnits(file.number, file.sectors);
            file.shadowed = Shadowed(file);
            // The header's date: the clock has no say in what is kept.
            static const std::uint32_t kDates[] = {0u, 0xFFFFFFFFu, 4102444800u};  // 2100
            if (Pick(0, 3) == 0) {
                const std::uint32_t date = kDates[Pick(0, 2)];
                PutU32(m_medium->SectorData(file.sectors[0]) + 59, date);
                m_log << " date " << name << "=" << date;
            }
        }
        if (Pick(0, 2) == 0) PlaceForeignTags(volume);
        m_pos1 = volume.Fat().pos1;
        m_pos2 = volume.Fat().pos2;
    }

    void Add(Rig& rig, int step) {
        Add(rig, step, Pick(0, 7) == 0 ? std::size_t(Pick(0, 40000)) : std::size_t(Pick(0, 6000)));
    }

    void Add(Rig& rig, int step, std::size_t size) {
        static const char* kExtensions[] = {".txt", ".dat", ""};  // few: numbers meet them again
        if (std::int64_t(size) + 20 * kUnitDataBytes > rig.doc->Volume().FreeBytes()) return;
        const std::string name = "r" + std::to_string(step) + kExtensions[Pick(0, 2)];
        const Bytes bytes = Data(size, m_seed * 100 + std::uint32_t(step));
        m_log << " add " << name << " " << size;
        if (rig.Add(name, bytes) != 0) return Fail("adding " + name + " failed");
        m_live[name].bytes = bytes;
        ++g_tally.files;
    }

    void Delete(Rig& rig, std::map<std::string, LiveFile>::iterator it) {
        m_log << " delete " << it->first;
        if (rig.Delete(it->first) != 0) return Fail("deleting " + it->first + " failed");
        m_deleted.insert(it->first);
        m_live.erase(it);
    }

    // Two files that lie one right above the other go, and a file longer than the lower one
    // but shorter than both takes their place: the rest of the upper one keeps its tags, its
    // header gone, right above the new file.
    bool Replace(Rig& rig, int step) {
        std::map<int, std::pair<std::string, int>> byHeader;  // header -> name, last unit
        for (const auto& [name, file] : m_live) {
            std::vector<int> sectors;
            if (const FileRecord* r = rig.Listed(name);
                r && rig.doc->Volume().CollectUnits(r->fileNumber, sectors) > 0)
                byHeader[sectors.front()] = {name, sectors.back()};
        }
        for (const auto& [header, lower] : byHeader) {
            const auto upper = byHeader.find(lower.second + 1);
            if (upper == byHeader.end()) continue;
            const int upperUnits =
                UnitsForBytes(std::int32_t(m_live[upper->second.first].bytes.size()));
            if (upperUnits < 2) continue;
            const int lowerUnits = UnitsForBytes(std::int32_t(m_live[lower.first].bytes.size()));
            const int size = kHeaderDataBytes + (lowerUnits - 1) * kUnitDataBytes +
                             Pick(1, (upperUnits - 1) * kUnitDataBytes);
            Delete(rig, m_live.find(lower.first));
            Delete(rig, m_live.find(upper->second.first));
            Add(rig, step, std::size_t(size));
            return true;
        }
        return false;
    }

    // Free units stop taking writes; a unit that still reads keeps what it held (the tags of
    // a deleted file, say), and the next add goes around it.
    void Wear(Rig& rig) {
        const CFatTable& fat = rig.doc->Volume().Fat();
        for (int n = Pick(1, 3); n > 0; --n) {
            const int unit = Pick(0, 400);
            if (fat.entries[std::size_t(unit)] != FAT_FREE) continue;
            const Fault fault = Pick(0, 1) ? Fault::Unwritable : Fault::Bad;
            m_medium->Faults().Set(SectorOfUnit(unit), fault);
            m_log << " wear " << unit;
        }
    }

    void PlaceForeignTags(CVolume& volume) {
        for (int n = Pick(1, 3); n > 0; --n) {
            const int unit = Pick(0, 500);
            const int sector = SectorOfUnit(unit);
            if (volume.Fat().entries[std::size_t(unit)] != FAT_FREE ||
                m_medium->Faults().At(sector) != Fault::None)
                continue;
            const std::uint16_t tag = std::uint16_t(Pick(FAT_TAG_FIRST, FAT_TAG_LAST));
            PutU16(m_medium->SectorData(sector), tag);
            volume.SetUnits(sector, tag, 1);
            m_foreign[unit] = tag;
            m_log << " tag " << unit << "=" << tag;
        }
        if (!volume.WriteFat()) Fail("the table with the tags was not written");
    }

    bool Shadowed(const LiveFile& file) const {
        const std::uint8_t* header = m_medium->SectorData(file.sectors.front());
        for (int s = kFirstDataSector; s < kSectorCount; ++s) {
            const std::uint8_t* unit = m_medium->SectorData(s);
            if (std::equal(unit, unit + kUnitHeaderSize, header) &&
                !std::binary_search(file.sectors.begin(), file.sectors.end(), s))
                return true;
        }
        return false;
    }

    // Copy 2 of the table as it stood before the last add or delete.
    void KeepCopyTwo(const CVolume& volume) {
        m_keptPos2 = volume.Fat().pos2;
        for (int k = 0; k < kFatSectorCount; ++k)
            std::copy_n(m_medium->SectorData(m_keptPos2[std::size_t(k)]), kSectorSize,
                        m_kept2[std::size_t(k)].begin());
    }

    // The last table write was cut short in copy 2: from some table sector on, copy 2 still
    // holds what it held before. The files whose entries now differ are rebuilt from their
    // units' tags, as after a lost table.
    void CutCopyTwo() {
        if (m_keptPos2 != m_pos2) return;  // a table sector moved meanwhile
        std::vector<int> written;          // the table sectors that the last write changed
        for (int k = 0; k < kFatSectorCount; ++k) {
            const auto& old = m_kept2[std::size_t(k)];
            if (!std::equal(old.begin(), old.end(), m_medium->SectorData(m_pos2[std::size_t(k)])))
                written.push_back(k);
        }
        if (written.empty()) return;
        std::set<int> numbers;
        for (std::size_t j = std::size_t(Pick(0, int(written.size()) - 1)); j < written.size();
             ++j) {
            const int k = written[j];
            const std::uint8_t* copy1 = m_medium->SectorData(m_pos1[std::size_t(k)]);
            const auto& old = m_kept2[std::size_t(k)];
            std::copy(old.begin(), old.end(), m_medium->SectorData(m_pos2[std::size_t(k)]));
            m_log << " cut " << k;
            for (int i = 0; i < kEntriesPerFatSector; ++i) {
                const std::uint16_t a = GetU16(copy1 + 2 * i), b = GetU16(old.data() + 2 * i);
                if (a == b) continue;
                m_cutUnits.insert(k * kEntriesPerFatSector + i);
                for (std::uint16_t v : {a, b})
                    if (IsFileNumber(v)) numbers.insert(v);
            }
        }
        for (const auto& [name, file] : m_live)
            if (numbers.count(file.number))
                for (int sector : file.sectors) m_cutUnits.insert(UnitOfSector(sector));
        if (!m_cutUnits.empty()) ++g_tally.cut;
    }

    // What goes of the system area: all of it, some table sectors, or nothing (an image with
    // holes whose system area survived); or a table write was cut short between the copies.
    void Damage() {
        const int mode = Pick(0, 5);
        m_wipe = mode < 2;
        if (mode == 5) CutCopyTwo();
        if (mode >= 2 && mode < 4) {
            int highest = 0;
            for (const auto& [name, file] : m_live)
                for (int sector : file.sectors) highest = std::max(highest, UnitOfSector(sector));
            for (int n = Pick(1, 3); n > 0; --n)
                m_lost.insert(Pick(0, highest / kEntriesPerFatSector));
        }
        for (auto& [name, file] : m_live) {
            if (m_calm || Pick(0, 2) != 0) continue;
            // Now and then the header itself: the file cannot come back then.
            const int position = Pick(0, 5) == 0 ? 0
                                                 : Pick(std::min(1, int(file.sectors.size()) - 1),
                                                        int(file.sectors.size()) - 1);
            MakeHole(name, file, position);
        }
        // Now and then a whole file whose header alone stops reading or became a hole of zeros
        // or filler, where the table goes.
        if (!m_calm && !m_live.empty() && (m_wipe || !m_lost.empty()) && Pick(0, 2) == 0) {
            auto it = std::next(m_live.begin(), Pick(0, int(m_live.size()) - 1));
            LiveFile& file = it->second;
            if (file.holes.empty() && file.sectors.size() >= 2 && EntryLost(file.sectors[0])) {
                const Hole hole = Hole(Pick(0, 2));
                if (hole == Hole::Unreadable) {
                    m_medium->Faults().Set(file.sectors[0], Fault::Unreadable);
                    ++g_tally.unreadable;
                } else {
                    std::fill_n(m_medium->SectorData(file.sectors[0]), kSectorSize,
                                std::uint8_t(hole == Hole::Zeros ? 0 : 0xF6));
                    ++g_tally.holes;
                }
                file.holes[0] = hole;
                file.headerReads = false;
                m_log << " header of " << it->first << " hole" << int(hole);
            }
        }
        if (m_wipe) {
            m_log << " wipe";
            ++g_tally.wiped;
            for (int s = kSystemAreaFirst; s <= kSystemAreaLast; ++s)
                std::fill_n(m_medium->SectorData(s), kSectorSize, std::uint8_t(0));
            return;
        }
        for (int k : m_lost) {
            m_log << " lose " << k;
            for (int sector : {int(m_pos1[std::size_t(k)]), int(m_pos2[std::size_t(k)])})
                std::fill_n(m_medium->SectorData(sector), kSectorSize, std::uint8_t(0xEE));
        }
    }

    bool TableKept() const { return !m_wipe && m_lost.empty() && m_cutUnits.empty(); }

    bool EntryLost(int sector) const {
        return m_wipe || m_lost.count(UnitOfSector(sector) / kEntriesPerFatSector) > 0 ||
               m_cutUnits.count(UnitOfSector(sector)) > 0;
    }

    void MakeHole(const std::string& name, LiveFile& file, int position) {
        const int sector = file.sectors[std::size_t(position)];
        // Another file's unit where the table still names the owner: rebuilt from tags alone,
        // nothing could tell it from that file's own.
        int from = -1;
        if (!EntryLost(sector) && m_live.size() > 1) {
            auto it = std::next(m_live.begin(), Pick(0, int(m_live.size()) - 1));
            const LiveFile& other = it->second;
            const int p = Pick(0, int(other.sectors.size()) - 1);
            // A unit that is still the other file's own (a copy of a copy could be this one's).
            if (&other != &file && !other.holes.count(p)) from = other.sectors[std::size_t(p)];
        }
        const Hole hole = Hole(Pick(0, from >= 0 ? 3 : 2));
        std::uint8_t* data = m_medium->SectorData(sector);
        switch (hole) {
            case Hole::Unreadable:
                m_medium->Faults().Set(sector, Fault::Unreadable);
                ++g_tally.unreadable;
                break;
            case Hole::Zeros:
            case Hole::Filler:
                std::fill_n(data, kSectorSize, std::uint8_t(hole == Hole::Zeros ? 0 : 0xF6));
                ++g_tally.holes;
                break;
            case Hole::Foreign:
                std::copy_n(m_medium->SectorData(from), kSectorSize, data);
                ++g_tally.holes;
                break;
        }
        file.holes[position] = hole;
        if (position == 0) file.headerReads = false;
        m_log << " hole" << int(hole) << " " << name << "@" << position;
    }

    // A file may come back short only by trailing units that became blank where the table lost
    // their owner: nothing tells them from free units then, and a copy asks for the rest.
    bool ShortByLostTail(const LiveFile& file, std::size_t bytes) const {
        const int kept = UnitsForBytes(std::int32_t(bytes));
        for (int p = kept; p < int(file.sectors.size()); ++p) {
            auto hole = file.holes.find(p);
            if (hole == file.holes.end() || hole->second == Hole::Unreadable ||
                !EntryLost(file.sectors[std::size_t(p)]))
                return false;
        }
        return true;
    }

    void RebuildAndCheck() {
        const WorkerOutcome full = RunFullTest(m_medium);
        if (full.result != 0) return Fail("the full test failed");
        std::set<std::string> uncertainNames, uncertainNumbers;
        for (const std::string& u : full.uncertainFiles) {
            const std::size_t at = u.rfind(" (#");
            uncertainNames.insert(u.substr(0, at));
            uncertainNumbers.insert(u.substr(at + 3, u.size() - at - 4));
        }
        g_tally.uncertain += long(full.uncertainFiles.size());
        g_tally.damaged += long(full.damagedFiles.size());
        std::map<std::string, const DamagedFile*> damaged;
        for (const DamagedFile& d : full.damagedFiles)
            damaged[d.name.substr(0, d.name.rfind(" (#"))] = &d;
        if (m_calm && !uncertainNames.empty()) return Fail("a calm diskette has uncertain files");
        // Without deletes no unit is left over from an older file: a file is in doubt only
        // when a unit that does not read or went around, or a hole, lies among its units.
        for (const auto& [name, file] : m_live)
            if (m_deleted.empty() && uncertainNames.count(name) && !DamageAmong(file))
                return Fail(name + " is named although nothing about it is in doubt");

        const ReadBack back = ReadBackDiskette(m_medium, false);
        if (back.finalCode != 0) return Fail("the rebuilt diskette does not open");
        for (const auto& [name, file] : back.files) {
            if (uncertainNames.count(name)) continue;  // named to the user: any bytes
            // Once its own unit is a hole and the table lost, nothing tells the leftover that
            // carries its tag from its own unit: tags cannot decide, and any bytes may come.
            if (auto live = m_live.find(name); live != m_live.end() && live->second.shadowed &&
                                               !live->second.holes.empty() && !TableKept()) {
                ++g_tally.shadowed;
                continue;
            }
            auto live = m_live.find(name);
            if (file.headerUnreadable) return Fail(name + ": header unreadable");
            // The full test names exactly the files whose copy reports units, with the positions
            // the copy reports and the bytes it fills in for them.
            const auto named = damaged.find(name);
            if ((named != damaged.end()) != !file.badList.empty())
                return Fail(name + (file.badList.empty() ? " is named damaged but copies whole"
                                                         : " copies with a report but is not "
                                                           "named damaged"));
            if (named != damaged.end()) {
                if (named->second->positions != file.badList)
                    return Fail(name + ": the full test names other positions than the copy");
                if (named->second->unreadableBytes != FilledBytes(file))
                    return Fail(name + ": the full test counts other unreadable bytes");
            }
            if (live != m_live.end()) {
                const Bytes& want = live->second.bytes;
                const bool shortened = file.bytes.size() < want.size() &&
                                       ShortByLostTail(live->second, file.bytes.size());
                const Bytes expected =
                    shortened ? Bytes(want.begin(), want.begin() + long(file.bytes.size())) : want;
                if (!MatchesWithReport(file.bytes, expected, &file.badList))
                    return Fail(name + ": wrong bytes without a report");
            } else if (m_deleted.count(name)) {
                // Nothing tells a deleted file from a live one once the table is gone: it may
                // come back, with whatever of its units the files after it left alone.
            } else {
                return Fail(name + " is listed but was never added");
            }
        }
        for (const auto& [name, file] : m_live) {
            // A file whose number went to another header is named through that file.
            if (file.headerReads && !back.files.count(name) &&
                !uncertainNumbers.count(std::to_string(file.number)))
                return Fail(name + " is missing");
        }

        CDrive drive;
        drive.InsertMedium(m_medium);
        CVolume volume(&drive);
        EXPECT_TRUE(volume.OpenDevice());
        if (volume.FindIdSectors() != true || !volume.ReadFat(false))
            return Fail("the rebuilt table does not read");
        for (const auto& [unit, tag] : m_foreign)
            if (volume.Fat().entries[std::size_t(unit)] != tag)
                return Fail("the tag of unit " + std::to_string(unit) + " was not kept");
        // A file whose header alone no longer reads, or reads blank, keeps its units, unlisted,
        // as it does where the table still names them: none comes free for the next add.
        for (const auto& [name, file] : m_live) {
            if (file.headerReads || file.holes.size() != 1 ||
                file.holes.begin()->second == Hole::Foreign || file.shadowed ||
                file.sectors.size() < 2 || !m_deleted.empty() ||
                (EntryLost(file.sectors[0]) && file.sectors[1] != file.sectors[0] + 1))
                continue;
            ++g_tally.headless;
            for (int sector : file.sectors)
                if (volume.Fat().entries[std::size_t(UnitOfSector(sector))] != file.number)
                    return Fail(name + ": its unit " + std::to_string(UnitOfSector(sector)) +
                                " was let go with its unreadable header");
        }
        if (RunSystemPartsTest(m_medium) != PARTS_SOUND)
            return Fail("the system parts are not sound");
    }

    // Whether a unit that does not read or refused a write, or a hole of any file, lies among
    // the file's units.
    bool DamageAmong(const LiveFile& file) const {
        const int first = file.sectors.front(), last = file.sectors.back();
        for (int s = first; s <= last; ++s)
            if (m_medium->Faults().At(s) != Fault::None) return true;
        for (const auto& [name, other] : m_live)
            for (const auto& [position, hole] : other.holes) {
                const int s = other.sectors[std::size_t(position)];
                if (s >= first && s <= last) return true;
            }
        return false;
    }

    std::mt19937 m_rng;
    std::uint32_t m_seed;
    Medium m_medium;
    bool m_calm = false;
    std::map<std::string, LiveFile> m_live;
    std::set<std::string> m_deleted;
    std::map<int, std::uint16_t> m_foreign;  // unit -> tag
    bool m_wipe = false;
    std::set<int> m_lost;  // table sectors lost in both copies
    FatPositions m_keptPos2{};
    std::array<std::array<std::uint8_t, kSectorSize>, kFatSectorCount> m_kept2{};
    std::set<int> m_cutUnits;  // units whose owner is rebuilt after the cut table write
    FatPositions m_pos1{}, m_pos2{};
    std::string m_error;
    std::ostringstream m_log;
};

int ScenarioCount() {
    if (LongRun()) return 5000;
    return DefaultSample(1000, 60);
}

TEST(RebuildScenarios, TheFullTestKeepsWhatMustSurviveAndNamesWhatIsInDoubt) {
    const Medium blank = FormattedDiskette("REBUILD");
    std::vector<std::uint32_t> seeds;
    if (const char* one = std::getenv("ORVALIS_REBUILD_SEED")) {
        seeds.push_back(std::uint32_t(std::strtoul(one, nullptr, 10)));
    } else {
        for (int i = 1; i <= ScenarioCount(); ++i) seeds.push_back(std::uint32_t(i));
    }
    for (std::uint32_t seed : seeds) {
        Scenario scenario(seed, blank);
        ASSERT_EQ(scenario.Run(), "") << "replay with ORVALIS_REBUILD_SEED=" << seed;
        ++g_tally.scenarios;
    }
    ReportFigure("rebuild_scenarios", g_tally.scenarios);
    ReportFigure("rebuild_files", g_tally.files);
    ReportFigure("rebuild_unreadable_units", g_tally.unreadable);
    ReportFigure("rebuild_holes", g_tally.holes);
    ReportFigure("rebuild_damaged_files", g_tally.damaged);
    ReportFigure("rebuild_shadowed_files", g_tally.shadowed);
    ReportFigure("rebuild_uncertain_files", g_tally.uncertain);
    ReportFigure("rebuild_system_areas_wiped", g_tally.wiped);
    ReportFigure("rebuild_table_writes_cut", g_tally.cut);
    ReportFigure("rebuild_headless_files_kept", g_tally.headless);
}

}  // namespace
}  // namespace orv::reliability

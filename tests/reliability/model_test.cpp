// Seeded random sequences of add, copy, delete, mark bad, close and reopen, and diskette swaps,
// with faults appearing on the way, checked against a plain model: which files each diskette
// holds and their bytes. A failing sequence prints its seed; ORVALIS_MODEL_SEED=N replays it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "fs/volume.h"
#include "reliability/harness.h"

namespace orv::reliability {
namespace {

// What the sequences did, over all of them.
struct Tally {
    long adds = 0, copies = 0, deletes = 0, marks = 0, reopens = 0, swaps = 0, wear = 0;
};
Tally g_tally;

struct ModelFile {
    Bytes bytes;
    bool certain = true;  // false: an add that reported failure may still have landed whole
};
using DisketteModel = std::map<std::string, ModelFile>;

class Sequence {
public:
    Sequence(std::uint32_t seed, const Medium& blank)
        : m_rng(seed), m_seed(seed), m_media{Clone(*blank), Clone(*blank)}, m_rig(m_media[0]) {
        // Every other sequence reads through the drive's cylinder buffer, as the command
        // line does.
        m_rig.drive.SetTrackBuffer(seed % 2 == 1);
    }

    // Empty when the sequence kept to the model, else what went wrong and where.
    std::string Run(int steps) {
        if (m_rig.Open() != 0) return "the first diskette does not open";
        for (m_step = 0; m_step < steps && m_error.empty(); ++m_step) {
            const int op = Pick(0, 99);
            if (op < 35)
                Add();
            else if (op < 55)
                Copy();
            else if (op < 70)
                Delete();
            else if (op < 76)
                MarkBad();
            else if (op < 86)
                Reopen();
            else if (op < 92)
                Swap();
            else
                Wear();
        }
        if (m_error.empty()) FinalCheck();
        return m_error;
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    DisketteModel& Model() { return m_models[m_current]; }
    void Fail(const std::string& what) {
        if (m_error.empty())
            m_error = "step " + std::to_string(m_step) + ": " + what + " (" + m_log.str() + ")";
    }
    bool Shown(std::size_t before) const {
        return m_rig.user.shown.size() + m_rig.user.prompts.size() > before;
    }
    std::size_t ShownCount() const { return m_rig.user.shown.size() + m_rig.user.prompts.size(); }

    const FileRecord* RandomListed() {
        const auto& files = m_rig.doc->Files();
        if (files.empty()) return nullptr;
        return &files[std::size_t(Pick(0, int(files.size()) - 1))];
    }

    void Add() {
        const std::int64_t free = m_rig.doc->Volume().FreeBytes();
        std::size_t size =
            Pick(0, 9) == 0 ? std::size_t(Pick(0, 200000)) : std::size_t(Pick(0, 12000));
        // Stay clear of the end of the diskette: a spread file needs a second diskette.
        if (std::int64_t(size) + 40 * kUnitDataBytes > free) return Delete();
        const std::string name = "m" + std::to_string(m_names++) + (Pick(0, 1) ? ".dat" : "");
        m_log << " add " << name << " " << size;
        const Bytes bytes = Data(size, m_seed * 1000 + std::uint32_t(m_names));
        const std::size_t shown = ShownCount();
        const int rc = m_rig.Add(name, bytes);
        ++g_tally.adds;
        if (rc == 0) {
            if (!m_rig.Listed(name)) return Fail(name + " added but not listed");
            Model()[name] = {bytes, true};
        } else if (rc == -1) {
            if (!Shown(shown)) return Fail("add failed without a message");
            Model()[name] = {bytes, false};
        } else {
            Fail("add returned " + std::to_string(rc));
        }
    }

    // Copies a listed file back and holds it against the model; true when the copy met
    // unreadable units and showed the report.
    bool CopyOne(const std::string& name) {
        auto it = Model().find(name);
        if (it == Model().end()) {
            Fail(name + " is listed but the model has no such file");
            return false;
        }
        Bytes got;
        const std::size_t reports = m_rig.report.lists.size();
        const std::size_t shown = ShownCount();
        const int rc = m_rig.Copy(name, got);
        const bool reported = m_rig.report.lists.size() > reports;
        ++g_tally.copies;
        if (rc != 0) {
            if (!Shown(shown)) Fail("copy of " + name + " failed without a message");
            return reported;
        }
        if (!MatchesWithReport(got, it->second.bytes,
                               reported ? &m_rig.report.lists.back() : nullptr))
            Fail("copy of " + name + " delivered wrong bytes");
        it->second.certain = true;
        return reported;
    }

    void Copy() {
        const FileRecord* r = RandomListed();
        if (!r) return Add();
        m_log << " copy " << r->displayName;
        CopyOne(r->displayName);
    }

    void Delete() {
        const FileRecord* r = RandomListed();
        if (!r) return;
        const std::string name = r->displayName;
        m_log << " delete " << name;
        const std::size_t shown = ShownCount();
        const int rc = m_rig.Delete(name);
        ++g_tally.deletes;
        if (rc == 0) {
            if (m_rig.Listed(name)) return Fail(name + " deleted but still listed");
            Model().erase(name);
        } else if (!Shown(shown)) {
            Fail("delete of " + name + " failed without a message");
        } else {
            Model()[name].certain = false;  // the table may or may not have reached the diskette
        }
    }

    // A unit of a file stops reading; the copy meets it, and the user marks it bad, which
    // deletes the damaged file.
    void MarkBad() {
        const FileRecord* r = RandomListed();
        if (!r) return Add();
        std::vector<int> units;
        if (m_rig.doc->Volume().CollectUnits(r->fileNumber, units) < 2) return Copy();
        const std::string name = r->displayName;
        const int sector = units[std::size_t(Pick(1, int(units.size()) - 1))];
        m_log << " mark " << name << "@" << sector;
        Current()->Faults().Set(sector, Fault::Unreadable);
        m_rig.report.mark = true;
        const bool reported = CopyOne(name);
        m_rig.report.mark = false;
        if (!m_error.empty()) return;
        if (!reported) {
            // The cylinder buffer still held the unit as it read before: the copy was whole,
            // and the sector is taken to have recovered.
            Current()->Faults().Set(sector, Fault::None);
            return;
        }
        if (!m_rig.Listed(name)) {
            ++g_tally.marks;
            Model().erase(name);
            if (m_rig.doc->Volume().Fat().entries[std::size_t(UnitOfSector(sector))] != FAT_BAD)
                Fail("the unreadable unit of " + name + " was not marked bad");
        } else {
            // The file stays (its delete failed): it now has an unreadable unit.
            Fail(name + " was marked but is still listed");
        }
    }

    reliability::Medium& Current() { return m_media[std::size_t(m_current)]; }

    // Lists the open diskette and holds the list against the model; uncertain files settle.
    void CompareListing() {
        DisketteModel& model = Model();
        std::set<std::string> listed;
        for (const FileRecord& r : m_rig.doc->Files()) listed.insert(r.displayName);
        for (auto it = model.begin(); it != model.end();) {
            if (listed.count(it->first)) {
                ++it;
            } else if (!it->second.certain) {
                it = model.erase(it);
            } else {
                return Fail(it->first + " is missing from the list");
            }
        }
        for (const std::string& name : listed)
            if (!model.count(name)) return Fail(name + " is listed but should not exist");
    }

    void Reopen() {
        m_log << " reopen";
        ++g_tally.reopens;
        m_rig.doc->CloseDiskette();
        const int rc = m_rig.Open();
        if (rc != 0) return Fail("reopen gave " + std::to_string(rc));
        CompareListing();
    }

    void Swap() {
        m_current = 1 - m_current;
        ++g_tally.swaps;
        m_log << " swap to " << m_current;
        m_rig.Insert(Current());
        m_rig.doc->CloseDiskette();
        const int rc = m_rig.Open();
        if (rc != 0) return Fail("the other diskette gave " + std::to_string(rc));
        CompareListing();
    }

    // The diskette wears: a free data unit stops taking writes or reading, or the next write
    // request fails once.
    void Wear() {
        const CFatTable& fat = m_rig.doc->Volume().Fat();
        const int choice = Pick(0, 2);
        ++g_tally.wear;
        if (choice == 2) {
            MemoryMedium::Hooks hooks;
            hooks.failWriteRequest = Current()->WriteRequests() + Pick(1, 4);
            Current()->SetHooks(hooks);
            m_log << " failing write";
            return;
        }
        for (int tries = 0; tries < 20; ++tries) {
            const int unit = Pick(0, kUnitCount - 3);
            if (fat.entries[std::size_t(unit)] != FAT_FREE) continue;
            Current()->Faults().Set(SectorOfUnit(unit),
                                    choice == 0 ? Fault::Unwritable : Fault::Bad);
            m_log << " wear " << SectorOfUnit(unit);
            return;
        }
    }

    void FinalCheck() {
        for (int i = 0; i < 2; ++i) {
            m_media[std::size_t(i)]->SetHooks({});
            const ReadBack back = ReadBackDiskette(m_media[std::size_t(i)], false);
            Expectation expected;
            for (const auto& [name, file] : m_models[i])
                (file.certain ? expected.keep : expected.maybe)[name] = file.bytes;
            const std::string why = Check(back, expected);
            if (!why.empty()) return Fail("diskette " + std::to_string(i) + " at the end: " + why);
        }
    }

    std::mt19937 m_rng;
    std::uint32_t m_seed;
    std::vector<reliability::Medium> m_media;
    Rig m_rig;
    DisketteModel m_models[2];
    int m_current = 0;
    int m_names = 0;
    int m_step = 0;
    std::string m_error;
    std::ostringstream m_log;
};

int SequenceCount() {
    if (LongRun()) return 10000;
    return DefaultSample(300, 40);
}

TEST(ModelTest, RandomSequencesAgreeWithThePlainModel) {
    const Medium blank = FormattedDiskette("MODEL");
    std::vector<std::uint32_t> seeds;
    if (const char* one = std::getenv("ORVALIS_MODEL_SEED")) {
        seeds.push_back(std::uint32_t(std::strtoul(one, nullptr, 10)));
    } else {
        for (int i = 1; i <= SequenceCount(); ++i) seeds.push_back(std::uint32_t(i));
    }
    long sequences = 0;
    for (std::uint32_t seed : seeds) {
        Sequence sequence(seed, blank);
        const std::string why = sequence.Run(30);
        ASSERT_EQ(why, "") << "replay with ORVALIS_MODEL_SEED=" << seed;
        ++sequences;
    }
    ReportFigure("model_sequences", sequences);
    ReportFigure("model_adds", g_tally.adds);
    ReportFigure("model_copies_checked", g_tally.copies);
    ReportFigure("model_deletes", g_tally.deletes);
    ReportFigure("model_marks", g_tally.marks);
    ReportFigure("model_reopens", g_tally.reopens);
    ReportFigure("model_swaps", g_tally.swaps);
    ReportFigure("model_faults", g_tally.wear);
}

}  // namespace
}  // namespace orv::reliability

// Seeded random sessions: one document, open from the first step to the last, that adds,
// copies, deletes, marks bad, closes and reopens, while the drive changes under it: the tab is
// flipped, the diskette is pulled and put back, another diskette goes in (with the drive told,
// or only physically, as on a real drive), units go bad, and while the open diskette is out of
// the drive another machine replaces one of its files by one that takes the same number and
// units (the table stays as it was). After every step the volume in
// memory must hold what the diskette's bytes hold, no diskette that the step had no business
// with may have changed, and every file that a reader lists must copy back as the plain model
// says (with filler only where a report names the unit). A failing sequence prints its seed;
// ORVALIS_MODEL_SEED=N replays it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <sstream>

#include "fs/volume.h"
#include "ports/drive_messages.h"
#include "reliability/harness.h"
#include "transfer/file_batches.h"

namespace orv::reliability {
namespace {

// What the sequences did, over all of them.
struct Tally {
    long adds = 0, copies = 0, deletes = 0, batchDeletes = 0, marks = 0, reopens = 0, swaps = 0;
    long wear = 0, protects = 0, ejects = 0, strangers = 0, meddles = 0, checks = 0, tracks = 0;
};
Tally g_tally;

struct ModelFile {
    Bytes bytes;
    bool certain = true;  // false: an operation that reported failure may still have landed
};
using DisketteModel = std::map<std::string, ModelFile>;

// The slot of a real drive: the diskette in it can change without the drive hearing of it.
class PhysicalSlot final : public IMedium {
public:
    explicit PhysicalSlot(std::vector<Medium> media) : m_media(std::move(media)) {}
    void Hold(int index) { m_index = index; }
    int Holding() const { return m_index; }
    Status Read(int first, int count, std::uint8_t* buffer) override {
        return Current().Read(first, count, buffer);
    }
    Status Write(int first, int count, const std::uint8_t* buffer) override {
        return Current().Write(first, count, buffer);
    }
    std::string Describe() const override { return "physical slot"; }

private:
    MemoryMedium& Current() { return *m_media[std::size_t(m_index)]; }
    std::vector<Medium> m_media;
    int m_index = 0;
};

class Sequence {
public:
    Sequence(std::uint32_t seed, const Medium& blank, const Medium& otherBlank)
        : m_rng(seed),
          m_seed(seed),
          m_media{Clone(*blank), Clone(*otherBlank)},
          m_slot(std::make_shared<PhysicalSlot>(m_media)),
          m_rig(nullptr) {
        m_rig.drive.InsertMedium(m_slot);
        // Every other sequence reads through the drive's cylinder buffer, as the command
        // line does.
        m_rig.drive.SetTrackBuffer(seed % 2 == 1);
    }

    // Empty when the sequence kept to the model, else what went wrong and where.
    std::string Run(int steps) {
        if (m_rig.Open() != 0) return "the first diskette does not open";
        for (m_step = 0; m_step < steps && m_error.empty(); ++m_step) {
            const std::vector<Bytes> before = Snapshot();
            const int opened = m_current;
            const int op = Pick(0, 99);
            if (op < 28)
                Add();
            else if (op < 44)
                Copy();
            else if (op < 56)
                Delete();
            else if (op < 61)
                MarkBad();
            else if (op < 67)
                Reopen();
            else if (op < 71)
                Swap();
            else if (op < 78)
                Wear();
            else if (op < 85)
                Protect();
            else if (op < 92)
                PullOrPutBack();
            else if (op < 96)
                Stranger();
            else
                Meddle();
            if (m_error.empty()) Verify(before, opened);
        }
        if (m_error.empty()) FinalCheck();
        return m_error;
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    DisketteModel& Model() { return m_models[m_current]; }
    MemoryMedium& Opened() { return *m_media[std::size_t(m_current)]; }
    bool InDrive() const { return !m_bEjected && m_slot->Holding() == m_current; }
    void Fail(const std::string& what) {
        if (m_error.empty())
            m_error = "step " + std::to_string(m_step) + ": " + what + " (" + m_log.str() + ")";
    }
    std::size_t ShownCount() const { return m_rig.user.shown.size() + m_rig.user.prompts.size(); }
    bool Shown(std::size_t before) const { return ShownCount() > before; }
    std::vector<Bytes> Snapshot() const {
        std::vector<Bytes> bytes;
        for (const Medium& m : m_media) bytes.push_back(m->Bytes());
        return bytes;
    }
    // An operation on the document needs it open; when it is not, it is opened first, as a
    // command that needs the diskette does.
    bool EnsureOpen() {
        if (m_rig.doc->IsOpen()) return true;
        const int rc = m_rig.Open();
        if (rc == 0) {
            m_current = m_slot->Holding();
            CompareListing();
        }
        return rc == 0;
    }

    const FileRecord* RandomListed() {
        const auto& files = m_rig.doc->Files();
        if (files.empty()) return nullptr;
        return &files[std::size_t(Pick(0, int(files.size()) - 1))];
    }

    void Add() {
        if (!EnsureOpen()) return;
        const std::int64_t free = m_rig.doc->Volume().FreeBytes();
        std::size_t size =
            Pick(0, 9) == 0 ? std::size_t(Pick(0, 200000)) : std::size_t(Pick(0, 12000));
        // Stay clear of the end of the diskette: a spread file needs a second diskette.
        if (std::int64_t(size) + 40 * kUnitDataBytes > free) return Delete();
        const std::string name = "m" + std::to_string(m_names++) + (Pick(0, 1) ? ".dat" : "");
        m_log << " add " << name << " " << size;
        const Bytes bytes = Data(size, m_seed * 1000 + std::uint32_t(m_names));
        const std::size_t shown = ShownCount();
        const std::size_t boxes = m_rig.user.shown.size();
        const long writes = Opened().WriteRequests();
        const int rc = m_rig.Add(name, bytes);
        ++g_tally.adds;
        if (rc == 0) {
            if (!m_rig.Listed(name)) return Fail(name + " added but not listed");
            Model()[name] = {bytes, true};
        } else if (rc == -1) {
            if (!Shown(shown)) return Fail("add failed without a message");
            // Units that refuse the write are bad units, however many of them follow one
            // another; only the drive itself says that the diskette takes no write.
            if (InDrive() && !Opened().Faults().WriteProtected())
                for (std::size_t i = boxes; i < m_rig.user.shown.size(); ++i)
                    if (m_rig.user.shown[i].text == DriveFailureText(IoError::WriteProtected))
                        return Fail("add took refusing units for a write-protected diskette");
            // A write-protected, pulled or foreign diskette is given a handful of requests.
            if (!InDrive() || Opened().Faults().WriteProtected())
                if (Opened().WriteRequests() - writes > 4)
                    return Fail("add tried " + std::to_string(Opened().WriteRequests() - writes) +
                                " writes on a diskette that takes none");
            Model()[name] = {bytes, false};
        } else {
            Fail("add returned " + std::to_string(rc));
        }
    }

    // Copies a listed file back and holds it against the model; true when the copy met
    // unreadable units and showed the report.
    bool CopyOne(const std::string& name) {
        auto it = Model().find(name);
        if (it == Model().end() && !Stale()) {
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
        if (it == Model().end()) {
            Fail("copy of " + name + " delivered the file that replaced it");
            return reported;
        }
        if (!MatchesWithReport(got, it->second.bytes,
                               reported ? &m_rig.report.lists.back() : nullptr))
            Fail("copy of " + name + " delivered wrong bytes");
        it->second.certain = true;
        return reported;
    }

    void Copy() {
        if (!EnsureOpen()) return;
        const FileRecord* r = RandomListed();
        if (!r) return Add();
        m_log << " copy " << r->displayName;
        CopyOne(r->displayName);
    }

    // The user deletes one to three listed files at once: one confirmation, the table written
    // with the last.
    void Delete() {
        if (!EnsureOpen()) return;
        std::vector<FileRecord> keys;
        std::set<std::string> names;
        for (int wanted = Pick(1, 3); wanted > 0; --wanted) {
            const FileRecord* r = RandomListed();
            if (r && names.insert(r->displayName).second) keys.push_back(*r);
        }
        if (keys.empty()) return;
        for (const std::string& name : names) m_log << " delete " << name;
        const std::size_t shown = ShownCount();
        const DeleteFilesResult r = DeleteFiles(*m_rig.doc, keys);
        ++g_tally.deletes;
        if (keys.size() > 1) ++g_tally.batchDeletes;
        if (r.end == BatchEnd::Done) {
            if (r.deleted != int(keys.size())) return Fail("a whole delete counted otherwise");
            for (const std::string& name : names) {
                if (m_rig.Listed(name)) return Fail(name + " deleted but still listed");
                if (!Model().count(name))
                    return Fail("delete of " + name + " took the file that replaced it");
                Model().erase(name);
            }
            return;
        }
        if (r.end != BatchEnd::Failed) return Fail("a confirmed delete did not start");
        // The first confirmation, then why it failed.
        if (ShownCount() < shown + 2) return Fail("delete failed without a message");
        for (const std::string& name : names) {
            // A file that another machine replaced meanwhile leaves the list rightly when the
            // delete finds the diskette changed and reads it again.
            if (!m_rig.Listed(name) && m_rig.doc->IsOpen() && Model().count(name))
                return Fail("a failed delete of " + name + " took it from the list");
            // The table may or may not have reached the diskette.
            if (auto it = Model().find(name); it != Model().end()) it->second.certain = false;
        }
    }

    // A unit of a file stops reading; the copy meets it, and the user marks it bad, which
    // deletes the damaged file.
    void MarkBad() {
        if (!EnsureOpen()) return;
        const FileRecord* r = RandomListed();
        if (!r) return Add();
        std::vector<int> units;
        if (m_rig.doc->Volume().CollectUnits(r->fileNumber, units) < 2) return Copy();
        const std::string name = r->displayName;
        const int sector = units[std::size_t(Pick(1, int(units.size()) - 1))];
        m_log << " mark " << name << "@" << sector;
        Opened().Faults().Set(sector, Fault::Unreadable);
        m_rig.report.mark = true;
        const bool reported = CopyOne(name);
        m_rig.report.mark = false;
        if (!m_error.empty()) return;
        if (!reported) {
            // The cylinder buffer still held the unit as it read before, or the copy could not
            // start: the sector is taken to have recovered.
            Opened().Faults().Set(sector, Fault::None);
            return;
        }
        if (!m_rig.Listed(name)) {
            ++g_tally.marks;
            Model().erase(name);
            if (m_rig.doc->Volume().Fat().entries[std::size_t(UnitOfSector(sector))] != FAT_BAD)
                Fail("the unreadable unit of " + name + " was not marked bad");
        } else if (!Opened().Faults().WriteProtected()) {
            Fail(name + " was marked but is still listed");
        }
    }

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
        if (rc != 0) {
            if (InDriveAnyDiskette()) Fail("reopen gave " + std::to_string(rc));
            return;
        }
        m_current = m_slot->Holding();
        CompareListing();
    }
    bool InDriveAnyDiskette() const { return !m_bEjected; }

    // The user closes the diskette, puts the other one in and opens it.
    void Swap() {
        const int other = 1 - m_current;
        ++g_tally.swaps;
        m_log << " swap to " << other;
        m_rig.doc->CloseDiskette();
        PutIn(other);
        const int rc = m_rig.Open();
        if (rc != 0) return Fail("the other diskette gave " + std::to_string(rc));
        m_current = other;
        CompareListing();
    }

    void PutIn(int index) {
        m_slot->Hold(index);
        if (m_bEjected) {
            m_rig.drive.InsertMedium(m_slot);
            m_bEjected = false;
        }
    }

    // The diskette wears: a free data unit stops taking writes or reading, a unit of a file
    // stops reading, or the next write request fails once.
    void Wear() {
        const CFatTable& fat = m_rig.doc->Volume().Fat();
        const int choice = Pick(0, 4);
        ++g_tally.wear;
        if (choice == 4) return WearTrack(fat);
        if (choice == 3) {
            MemoryMedium::Hooks hooks;
            hooks.failWriteRequest = Opened().WriteRequests() + Pick(1, 4);
            Opened().SetHooks(hooks);
            m_log << " failing write";
            return;
        }
        for (int tries = 0; tries < 20; ++tries) {
            const int unit = Pick(0, kUnitCount - 3);
            const std::uint16_t owner = fat.entries[std::size_t(unit)];
            if (choice == 2) {
                // A unit behind a file's header: the file lists, and copies with a report.
                if (!IsFileNumber(owner) || unit == 0 ||
                    fat.entries[std::size_t(unit - 1)] != owner)
                    continue;
                Opened().Faults().Set(SectorOfUnit(unit), Fault::Unreadable);
                m_log << " unit " << SectorOfUnit(unit) << " of #" << owner << " unreadable";
                return;
            }
            if (owner != FAT_FREE) continue;
            Opened().Faults().Set(SectorOfUnit(unit), choice == 0 ? Fault::Unwritable : Fault::Bad);
            m_log << " wear " << SectorOfUnit(unit);
            return;
        }
    }

    // A worn stretch: the lowest free units, a cylinder's worth and more, all refuse writes,
    // so that the next add meets a long run of refusals before any write lands.
    void WearTrack(const CFatTable& fat) {
        const int length = Pick(kSectorsPerTrack * kHeads, kSectorsPerTrack * kHeads + 3);
        int worn = 0;
        for (int unit = 0; unit < kUnitCount - 2 && worn < length; ++unit) {
            if (fat.entries[std::size_t(unit)] != FAT_FREE) continue;
            Opened().Faults().Set(SectorOfUnit(unit), Fault::Unwritable);
            ++worn;
        }
        ++g_tally.tracks;
        m_log << " " << worn << " lowest free units unwritable";
    }

    // The user flips the write-protection tab of the diskette in the drive.
    void Protect() {
        MemoryMedium& m = *m_media[std::size_t(m_slot->Holding())];
        m.Faults().SetWriteProtected(!m.Faults().WriteProtected());
        ++g_tally.protects;
        m_log << (m.Faults().WriteProtected() ? " protect" : " unprotect");
    }

    // The diskette is pulled out of the drive, or put back.
    void PullOrPutBack() {
        ++g_tally.ejects;
        if (m_bEjected) {
            m_log << " put back";
            PutIn(m_slot->Holding());
        } else {
            m_log << " pull";
            m_rig.drive.Eject();
            m_bEjected = true;
        }
    }

    // Another diskette goes into the drive while this one is open, and later the right one
    // comes back. On a real drive nobody tells the drive: its read-ahead may still hold the
    // first diskette.
    void Stranger() {
        ++g_tally.strangers;
        const int target = m_slot->Holding() == m_current ? 1 - m_current : m_current;
        m_log << " diskette " << target << " in";
        if (m_bEjected || Pick(0, 1) == 0) {
            m_rig.drive.Eject();  // the drive sees it go and come
            m_bEjected = true;
            PutIn(target);
        } else {
            m_slot->Hold(target);
        }
    }

    // While the open diskette is out of the drive (the drive was told it left), another machine
    // writes one of its files anew under another name and with other bytes, in the same units
    // with the same tags: the table is the same, only the file's own units differ.
    void Meddle() {
        if (!m_bEjected || !m_rig.doc->IsOpen()) return PullOrPutBack();
        if (Stale()) return;  // the list does not say what the diskette holds
        const FileRecord* r = RandomListed();
        if (!r || r->size == 0) return;
        std::vector<int> sectors;
        if (m_rig.doc->Volume().CollectUnits(r->fileNumber, sectors) <= 0) return;
        FileRecord other = *r;
        other.name = "w" + std::to_string(m_names++);
        other.modificationTime += 3600;
        COrvalisDoc::FormatRecord(other);
        const Bytes bytes = Data(r->size, m_seed * 1000 + std::uint32_t(m_names));
        m_log << " meddle " << r->displayName << " -> " << other.displayName;
        ++g_tally.meddles;
        std::size_t at = 0;
        for (std::size_t i = 0; i < sectors.size(); ++i) {
            std::uint8_t* unit = Opened().SectorData(sectors[i]);
            const std::size_t offset = i == 0 ? kHeaderSize : kUnitHeaderSize;
            const std::size_t room = i == 0 ? kHeaderDataBytes : kUnitDataBytes;
            std::memset(unit, 0, kSectorSize);
            if (i == 0)
                CVolume::BuildHeader(other, unit);
            else
                CVolume::BuildUnitHeader(other, unit);
            const std::size_t n = std::min(room, bytes.size() - at);
            std::copy_n(bytes.begin() + std::ptrdiff_t(at), n, unit + offset);
            at += n;
        }
        const auto was = Model().find(r->displayName);
        const bool certain = was == Model().end() || was->second.certain;
        if (was != Model().end()) Model().erase(was);
        Model()[other.displayName] = {bytes, certain};
        m_bMeddled = true;
        m_meddledReading = m_rig.doc->ListReadings();
    }
    // The document still lists what the diskette held before another machine changed it: it
    // has not seen the diskette come back yet.
    bool Stale() {
        if (m_bMeddled && m_rig.doc->IsOpen() && m_rig.doc->ListReadings() == m_meddledReading)
            return true;
        m_bMeddled = false;
        return false;
    }

    // After every step: the diskettes the step had no business with are untouched; the
    // volume in memory holds what the open diskette's bytes say; and a reader of the open
    // diskette lists what the document lists, each file as the model has it.
    void Verify(const std::vector<Bytes>& before, int opened) {
        ++g_tally.checks;
        for (int i = 0; i < 2; ++i)
            if (i != opened && i != m_current &&
                m_media[std::size_t(i)]->Bytes() != before[std::size_t(i)])
                return Fail("diskette " + std::to_string(i) + " changed although it was not open");
        if (!m_rig.doc->IsOpen()) return;
        const std::string why = VolumeMatchesDiskette(m_rig.doc->Volume(), Opened().Bytes());
        if (!why.empty()) return Fail("memory and diskette differ: " + why);
        if (Stale()) return;

        Medium clone = Clone(Opened());
        const ReadBack back = ReadBackDiskette(clone, false);
        if (back.finalCode != 0) return Fail("the open diskette does not open for a reader");
        std::set<std::string> readerNames;
        for (const auto& [name, file] : back.files) readerNames.insert(name);
        for (const FileRecord& r : m_rig.doc->Files()) {
            if (readerNames.erase(r.displayName)) continue;
            // A sector that went unreadable and came free with its file's delete still takes
            // writes (no read test before writing here): a header written there is lost to
            // any reader, and the reader says so. That is the medium's loss, not ours.
            std::vector<int> sectors;
            if (m_rig.doc->Volume().CollectUnits(r.fileNumber, sectors) > 0 &&
                Opened().Faults().At(sectors.front()) == Fault::Unreadable &&
                !back.messages.empty()) {
                if (auto it = Model().find(r.displayName); it != Model().end())
                    it->second.certain = false;
                continue;
            }
            return Fail("the document lists " + r.displayName + ", a reader does not");
        }
        if (!readerNames.empty())
            return Fail("a reader lists " + *readerNames.begin() + ", the document does not");
        for (const auto& [name, file] : back.files) {
            auto it = Model().find(name);
            if (it == Model().end())
                return Fail(name + " is listed but the model has no such file");
            if (file.headerUnreadable ||
                !MatchesWithReport(file.bytes, it->second.bytes, &file.badList))
                return Fail(name + " reads back wrong");
        }
        CompareListing();
    }

    void FinalCheck() {
        for (int i = 0; i < 2; ++i) {
            m_media[std::size_t(i)]->SetHooks({});
            m_media[std::size_t(i)]->Faults().SetWriteProtected(false);
            const ReadBack back = ReadBackDiskette(m_media[std::size_t(i)], false);
            if (back.finalCode != 0)
                return Fail("diskette " + std::to_string(i) + " does not open at the end");
            for (const auto& [name, file] : back.files) {
                auto it = m_models[i].find(name);
                if (it == m_models[i].end())
                    return Fail("diskette " + std::to_string(i) + " lists " + name);
                if (file.headerUnreadable ||
                    !MatchesWithReport(file.bytes, it->second.bytes, &file.badList))
                    return Fail("diskette " + std::to_string(i) + ": " + name + " reads wrong");
            }
            for (const auto& [name, file] : m_models[i])
                if (file.certain && !back.files.count(name))
                    return Fail("diskette " + std::to_string(i) + " lost " + name);
        }
    }

    std::mt19937 m_rng;
    std::uint32_t m_seed;
    std::vector<reliability::Medium> m_media;
    std::shared_ptr<PhysicalSlot> m_slot;
    Rig m_rig;
    DisketteModel m_models[2];
    int m_current = 0;  // the diskette the document opened last
    bool m_bEjected = false;
    bool m_bMeddled = false;
    long m_meddledReading = 0;
    int m_names = 0;
    int m_step = 0;
    std::string m_error;
    std::ostringstream m_log;
};

int SequenceCount() {
    if (LongRun()) return 10000;
    return DefaultSample(300, 15);
}

TEST(ModelTest, RandomSessionsKeepMemoryDisketteAndModelInStep) {
    const Medium blank = FormattedDiskette("MODEL");
    const Medium otherBlank = FormattedDiskette("OTHER");
    std::vector<std::uint32_t> seeds;
    if (const char* one = std::getenv("ORVALIS_MODEL_SEED")) {
        seeds.push_back(std::uint32_t(std::strtoul(one, nullptr, 10)));
    } else {
        for (int i = 1; i <= SequenceCount(); ++i) seeds.push_back(std::uint32_t(i));
    }
    long sequences = 0;
    for (std::uint32_t seed : seeds) {
        Sequence sequence(seed, blank, otherBlank);
        const std::string why = sequence.Run(30);
        ASSERT_EQ(why, "") << "replay with ORVALIS_MODEL_SEED=" << seed;
        ++sequences;
    }
    ReportFigure("model_sequences", sequences);
    ReportFigure("model_adds", g_tally.adds);
    ReportFigure("model_copies_checked", g_tally.copies);
    ReportFigure("model_deletes", g_tally.deletes);
    ReportFigure("model_deletes_of_several", g_tally.batchDeletes);
    ReportFigure("model_marks", g_tally.marks);
    ReportFigure("model_reopens", g_tally.reopens);
    ReportFigure("model_swaps", g_tally.swaps);
    ReportFigure("model_faults", g_tally.wear);
    ReportFigure("model_worn_tracks", g_tally.tracks);
    ReportFigure("model_protect_flips", g_tally.protects);
    ReportFigure("model_pulls", g_tally.ejects);
    ReportFigure("model_strangers", g_tally.strangers);
    ReportFigure("model_meddles", g_tally.meddles);
    ReportFigure("model_checks", g_tally.checks);
}

}  // namespace
}  // namespace orv::reliability

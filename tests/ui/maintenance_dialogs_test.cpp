// The format and disk service dialogs on image files with fault sidecars, their workers on
// threads of their own, the results dialog they end in, and the diskette information dialog.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <condition_variable>
#include <thread>

#include "disk/image_medium.h"
#include "maintenance/diskservice/service_texts.h"
#include "maintenance/format/format_texts.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/disk_info_dlg.h"
#include "ui/dialogs/disk_service_dlg.h"
#include "ui/dialogs/format_dlg.h"
#include "ui/dialogs/results_dlg.h"
#include "ui/progress/worker_display.h"
#include "ui_harness.h"

namespace orv::tests {
namespace {

template <typename T>
T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

struct ResultsSeen {
    int count = 0;
    QString title, total, system, bad, free, label;
};

// Reads what a results dialog shows and closes it with its Close button.
ModalDriver::Handler ReadResults(ResultsSeen& seen) {
    return [&seen](QWidget* w) {
        auto* dlg = qobject_cast<CResultsDlg*>(w);
        if (!dlg) return false;
        ++seen.count;
        seen.title = dlg->windowTitle();
        seen.total = Child<QLabel>(*dlg, "total")->text();
        seen.system = Child<QLabel>(*dlg, "systemBytes")->text();
        seen.bad = Child<QLabel>(*dlg, "badBytes")->text();
        seen.free = Child<QLabel>(*dlg, "freeBytes")->text();
        seen.label = Child<QLabel>(*dlg, "label")->text();
        Child<QPushButton>(*dlg, "close")->click();
        return true;
    };
}

struct DisketteFacts {
    bool opens = false;
    std::string label;
    std::int32_t badBytes = -1;
    std::int32_t systemBytes = -1;
    std::int32_t freeBytes = -1;
};

DisketteFacts Examine(const std::string& image) {
    DisketteFacts facts;
    CDrive drive;
    std::string error;
    if (!drive.Insert(image, error)) return facts;
    CVolume volume(&drive);
    facts.opens = OpenVolume(volume);
    if (!facts.opens) return facts;
    facts.label = volume.Ids().label;
    facts.badBytes = volume.BadBytes();
    facts.systemBytes = volume.SystemBytes();
    facts.freeBytes = volume.FreeBytes();
    return facts;
}

// Holds the worker at the read of one sector until the test lets it go on.
class GatedMedium final : public IMedium {
public:
    GatedMedium(std::shared_ptr<IMedium> inner, int gate)
        : m_inner(std::move(inner)), m_gate(gate) {}
    Status Read(int first, int count, std::uint8_t* buffer) override {
        if (first <= m_gate && m_gate < first + count) {
            std::unique_lock lock(m_mutex);
            m_bReached = true;
            m_changed.wait(lock, [this] { return m_bOpen; });
        }
        return m_inner->Read(first, count, buffer);
    }
    Status Write(int first, int count, const std::uint8_t* buffer) override {
        return m_inner->Write(first, count, buffer);
    }
    std::string Describe() const override { return m_inner->Describe(); }
    bool Reached() {
        std::lock_guard lock(m_mutex);
        return m_bReached;
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_bOpen = true;
        m_changed.notify_all();
    }

private:
    std::shared_ptr<IMedium> m_inner;
    const int m_gate;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bReached = false;
    bool m_bOpen = false;
};

class MaintenanceDialogTest : public ::testing::Test {
protected:
    void SetUp() override { MakeFormattedImage(image, "OLD"); }
    void Insert(const std::string& faults) {
        WriteText(image + ".faults", faults);
        std::string error;
        ASSERT_TRUE(drive.Insert(image, error)) << error;
    }
    template <typename Dialog>
    bool WaitIdle(Dialog& dlg) {
        return WaitUntil([&] { return !dlg.Controller().TimerActive(); }, 30000);
    }

    TempDir temp;
    std::string image = temp.File("disk.img");
    CDrive drive;
    ScriptedUser user;
};

TEST_F(MaintenanceDialogTest, FullAndQuickFormatOfAnImageWithFaultsEndInTheirResults) {
    Insert("unreadable 70\nbad 2000-2001\n");
    CFormatDlg dlg(drive, user);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Format - Diskette 3.5 (Halvorn)");
    auto* format = Child<QPushButton>(dlg, "format");
    auto* close = Child<QPushButton>(dlg, "close");
    auto* label = Child<QLineEdit>(dlg, "label");
    EXPECT_TRUE(Child<QRadioButton>(dlg, "quick")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "displayResults")->isChecked());

    Child<QRadioButton>(dlg, "full")->click();
    label->setText("RESCUE");
    ResultsSeen full;
    ModalDriver driver;
    driver.Then(ReadResults(full));
    format->click();
    // Until the finishing step the options are locked and button 2 cancels.
    EXPECT_EQ(close->text(), "&Cancel");
    EXPECT_FALSE(format->isEnabled());
    EXPECT_FALSE(label->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(dlg, "quick")->isEnabled());
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(full.count, 1);
    EXPECT_EQ(full.title, "Results - Diskette 3,5.(Halvorn)");
    EXPECT_EQ(full.total, "1 427 712");
    EXPECT_EQ(full.bad, "1 521");  // units 6, 1936 and 1937
    EXPECT_EQ(full.system, "0");
    EXPECT_EQ(full.free, "1 426 191");
    EXPECT_EQ(full.label, "RESCUE");
    EXPECT_EQ(Child<QLabel>(dlg, "status")->text(), "Done...");
    EXPECT_EQ(Child<QProgressBar>(dlg, "progress")->value(), 0);
    EXPECT_EQ(close->text(), "C&lose");
    EXPECT_TRUE(format->isEnabled());
    EXPECT_TRUE(label->isEnabled());
    EXPECT_TRUE(user.Shown().empty());
    DisketteFacts facts = Examine(image);
    ASSERT_TRUE(facts.opens);
    EXPECT_EQ(facts.label, "RESCUE");
    EXPECT_EQ(facts.badBytes, 1521);

    // A quick format keeps the bad units and, with the no-label box, the label; a table
    // sector that no longer takes a write, with no spare sector left in the system area,
    // moves into the data area.
    Insert("unreadable 70\nbad 2000-2001\nunwritable 5\nunwritable 26-63\n");
    Child<QRadioButton>(dlg, "quick")->click();
    Child<QCheckBox>(dlg, "noLabel")->click();
    ResultsSeen quick;
    driver.Then(ReadResults(quick));
    format->click();
    ASSERT_TRUE(WaitIdle(dlg));
    ASSERT_EQ(quick.count, 1);
    EXPECT_EQ(quick.bad, "1 521");
    EXPECT_EQ(quick.system, "507");
    EXPECT_EQ(quick.free, "1 425 684");
    EXPECT_EQ(quick.label, "");
    EXPECT_FALSE(Child<QCheckBox>(dlg, "noLabel")->isChecked());  // reset after every format
    facts = Examine(image);
    ASSERT_TRUE(facts.opens);
    EXPECT_EQ(facts.label, "RESCUE");
    EXPECT_EQ(facts.systemBytes, 507);
    EXPECT_EQ(facts.freeBytes, 1425684);
}

TEST_F(MaintenanceDialogTest, FormatNamesTheFilesItWouldDeleteAndAsksFirst) {
    {
        CDrive writer;
        std::string error;
        ASSERT_TRUE(writer.Insert(image, error)) << error;
        ScriptedUser quiet;
        InlineProgress progress;
        COrvalisDoc doc(writer, DocPorts{&quiet, &progress, nullptr});
        ASSERT_EQ(doc.OpenDiskette(), 0);
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            const std::string path = temp.File(name);
            WriteBytes(path, Pattern(2000, 3));
            ASSERT_EQ(doc.AddFile(path, 0), 0) << name;
        }
    }
    Insert("");
    CFormatDlg dlg(drive, user);
    dlg.show();
    auto* format = Child<QPushButton>(dlg, "format");
    user.Push(Answer::No);
    format->click();
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0].text,
              "This diskette holds 3 file(s).\nFormatting deletes them all.\n\nDo you want to "
              "format it ?");
    EXPECT_EQ(user.Shown()[0].buttons, Buttons::YesNo);
    EXPECT_EQ(user.Shown()[0].defaultButton, Answer::No);
    EXPECT_FALSE(dlg.Controller().TimerActive());  // nothing started
    EXPECT_TRUE(format->isEnabled());

    Child<QCheckBox>(dlg, "displayResults")->setChecked(false);
    user.Push(Answer::Yes);
    format->click();
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(Examine(image).freeBytes, 1427712);

    // A diskette without files, or one that cannot be read, formats without the question.
    Child<QCheckBox>(dlg, "displayResults")->setChecked(false);  // the finishing step set it
    format->click();
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(user.Shown().size(), 2u);
}

TEST_F(MaintenanceDialogTest, CancelDuringAFullFormatStopsItAsInterrupted) {
    std::string error;
    auto gate = std::make_shared<GatedMedium>(LoadMedium(image, error), 1500);
    drive.InsertMedium(gate, image);
    CFormatDlg dlg(drive, user);
    auto letGo = qScopeGuard([&] { gate->Open(); });
    dlg.show();
    Child<QRadioButton>(dlg, "full")->click();
    ResultsSeen results;
    ModalDriver driver;
    driver.Then(ReadResults(results));
    auto* close = Child<QPushButton>(dlg, "close");
    Child<QPushButton>(dlg, "format")->click();
    ASSERT_TRUE(WaitUntil([&] { return gate->Reached(); }));

    close->click();  // asks the worker to stop...
    EXPECT_TRUE(dlg.isVisible());
    close->click();  // ...and a second Cancel while that is pending does nothing
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(close->text(), "&Cancel");
    gate->Open();
    ASSERT_TRUE(WaitIdle(dlg));

    EXPECT_EQ(user.Texts(), std::vector<std::string>{"Format interrupted"});
    EXPECT_EQ(Child<QLabel>(dlg, "status")->text(), "Format interrupted");
    EXPECT_EQ(Child<QProgressBar>(dlg, "progress")->value(), 0);
    EXPECT_EQ(close->text(), "C&lose");
    EXPECT_EQ(results.count, 0);  // no results after a stop
    // The scan stopped before anything was written.
    const DisketteFacts facts = Examine(image);
    ASSERT_TRUE(facts.opens);
    EXPECT_EQ(facts.label, "OLD");
    // Idle again: Cancel closes the dialog.
    close->click();
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MaintenanceDialogTest, EnterInTheLabelStartsTheFormat) {
    Insert("");
    CFormatDlg dlg(drive, user);
    dlg.show();
    auto* label = Child<QLineEdit>(dlg, "label");
    label->setText("BY ENTER");
    Child<QCheckBox>(dlg, "displayResults")->click();  // no results dialog
    label->setFocus();
    QTest::keyClick(label, Qt::Key_Return);
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_TRUE(dlg.isVisible());  // Enter formats; it does not close the dialog
    EXPECT_EQ(Examine(image).label, "BY ENTER");
}

TEST_F(MaintenanceDialogTest, TheNoLabelBoxDisablesTheLabelAndKeepsTheOldOne) {
    Insert("");
    CFormatDlg dlg(drive, user);
    dlg.show();
    auto* label = Child<QLineEdit>(dlg, "label");
    auto* noLabel = Child<QCheckBox>(dlg, "noLabel");
    EXPECT_TRUE(label->isEnabled());
    noLabel->click();
    EXPECT_FALSE(label->isEnabled());
    noLabel->click();
    EXPECT_TRUE(label->isEnabled());

    noLabel->click();
    label->setText("IGNORED");
    Child<QCheckBox>(dlg, "displayResults")->click();  // no results dialog this time
    ResultsSeen results;
    ModalDriver driver;
    driver.Then(ReadResults(results));
    Child<QPushButton>(dlg, "format")->click();
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(results.count, 0);
    EXPECT_EQ(Examine(image).label, "OLD");
    // The finishing step clears the box and asks for results again.
    EXPECT_FALSE(noLabel->isChecked());
    EXPECT_TRUE(label->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>(dlg, "displayResults")->isChecked());
}

TEST_F(MaintenanceDialogTest, ASystemPartsTestAnsweredYesRunsTheFullTestByItself) {
    const std::string blank = temp.File("blank.img");
    std::string error;
    ASSERT_TRUE(CreateBlankImage(blank, error)) << error;
    ASSERT_TRUE(drive.Insert(blank, error)) << error;
    user.Push(Answer::Yes);  // run the full test
    user.Push(Answer::Yes);  // go on without ID sectors
    CDiskServiceDlg dlg(drive, user);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Disk service - Diskette 3,5 (Halvorn)");
    EXPECT_TRUE(Child<QRadioButton>(dlg, "repair0")->isChecked());
    auto* start = Child<QPushButton>(dlg, "start");
    Child<QRadioButton>(dlg, "systemParts")->click();
    ResultsSeen results;
    ModalDriver driver;
    driver.Then(ReadResults(results));
    start->click();  // the only click
    EXPECT_FALSE(start->isEnabled());
    EXPECT_EQ(Child<QPushButton>(dlg, "close")->text(), "&Cancel");
    EXPECT_EQ(Child<QLabel>(dlg, "status")->text(), "Scaning diskette...");
    ASSERT_TRUE(
        WaitUntil([&] { return results.count == 1 && !dlg.Controller().TimerActive(); }, 30000));

    EXPECT_EQ(user.Texts(),
              (std::vector<std::string>{service_text::kNotFormatted, service_text::kIdsMissing}));
    EXPECT_EQ(results.title, "Test result - Diskette 3,5.");
    EXPECT_EQ(results.total, "1 427 712");
    EXPECT_EQ(results.bad, "0");
    EXPECT_EQ(results.free, "1 427 712");
    EXPECT_TRUE(Child<QRadioButton>(dlg, "fullTest")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>(dlg, "systemParts")->isChecked());
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(Child<QPushButton>(dlg, "close")->text(), "C&lose");
    EXPECT_EQ(Child<QLabel>(dlg, "status")->text(), "");
    EXPECT_EQ(Child<QProgressBar>(dlg, "progress")->value(), 0);
    EXPECT_GE(dlg.TurningIcon(), 140);
    EXPECT_LE(dlg.TurningIcon(), 142);
    // The full test laid down a system area.
    CDrive check;
    ASSERT_TRUE(check.Insert(blank, error)) << error;
    CVolume volume(&check);
    ASSERT_TRUE(volume.OpenDevice());
    EXPECT_EQ(volume.FindIdSectors(), true);
    EXPECT_TRUE(volume.ReadFat(false));
    EXPECT_EQ(volume.FreeBytes(), 1427712);
}

TEST_F(MaintenanceDialogTest, RepairOfSectorZeroTellsAndShowsNoResults) {
    Insert("");
    CDiskServiceDlg dlg(drive, user);
    dlg.show();
    ResultsSeen results;
    ModalDriver driver;
    driver.Then(ReadResults(results));
    Child<QPushButton>(dlg, "start")->click();
    ASSERT_TRUE(WaitIdle(dlg));
    EXPECT_EQ(user.Texts(), std::vector<std::string>{service_text::kSector0Repaired});
    EXPECT_EQ(results.count, 0);
    EXPECT_TRUE(Child<QRadioButton>(dlg, "repair0")->isChecked());
    // Idle: Cancel closes the dialog.
    Child<QPushButton>(dlg, "close")->click();
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MaintenanceDialogTest, ClosingTheDialogMidFormatStopsTheWorkerBeforeTheDialogGoes) {
    std::string error;
    auto gate = std::make_shared<GatedMedium>(LoadMedium(image, error), 1500);
    drive.InsertMedium(gate, image);
    ResultsSeen results;
    ModalDriver driver;
    driver.Then(ReadResults(results));
    std::thread opener;
    {
        CFormatDlg dlg(drive, user);
        dlg.show();
        Child<QRadioButton>(dlg, "full")->click();
        Child<QPushButton>(dlg, "format")->click();
        ASSERT_TRUE(WaitUntil([&] { return gate->Reached(); }));
        // The worker is held inside its scan while the dialog goes away.
        opener = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            gate->Open();
        });
    }
    opener.join();
    // The worker was stopped, not left to finish: no results, and the scan wrote nothing.
    EXPECT_EQ(results.count, 0);
    const DisketteFacts facts = Examine(image);
    ASSERT_TRUE(facts.opens);
    EXPECT_EQ(facts.label, "OLD");
    EXPECT_EQ(facts.badBytes, 0);
}

TEST(WorkerDisplay, TheWorkersUpdatesArriveButNeverOverwriteTheFinishingStep) {
    QWidget dialog;
    auto* status = new QLabel(&dialog);
    auto* progress = new QProgressBar(&dialog);
    CWorkerDisplay display(progress, {status}, &dialog);
    std::thread worker([&] {
        for (int i = 1; i <= 50; ++i) display.SetProgress(i);
        display.SetStatus("Writing FAT sectors.");
    });
    worker.join();
    // Nothing reaches the controls until the user-interface thread serves its events...
    EXPECT_EQ(status->text(), "");
    ASSERT_TRUE(WaitUntil([&] { return status->text() == "Writing FAT sectors."; }));
    EXPECT_EQ(progress->value(), 50);  // the latest position wins

    // ...and what the finishing step sets after the worker's end stays.
    std::thread late([&] {
        display.SetStatus("It's almost done...");
        display.SetProgress(100);
    });
    late.join();
    display.SetStatus("Done...");
    display.SetProgress(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(status->text(), "Done...");
    EXPECT_EQ(progress->value(), 0);
}

// --- The commands in the main window's list -------------------------------------------------

class MaintenanceCommandTest : public ViewTest {};

TEST_F(MaintenanceCommandTest, FormatAndDiskServiceRefuseWhileADisketteIsOpen) {
    Open();
    int dialogs = 0;
    {
        ModalDriver driver;
        driver.Then([&](QWidget* w) {
            ++dialogs;
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            return true;
        });
        EXPECT_TRUE(view.Commands().Run(ID_FORMAT));
        EXPECT_TRUE(view.Commands().Run(ID_DISK_SERVICE));
    }
    const auto format = user.script.Find(
        "Diskette is open. Cannot format open diskete.\nClose diskette and try again.");
    const auto scan =
        user.script.Find("Diskette is open. Cannot scan open diskete.\nClose diskette and again.");
    ASSERT_TRUE(format.has_value());
    ASSERT_TRUE(scan.has_value());
    EXPECT_EQ(format->icon, Icon::Exclamation);
    EXPECT_EQ(scan->icon, Icon::Exclamation);
    EXPECT_EQ(dialogs, 0);

    // Closed, both open their dialog.
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_CLOSE));
    bool sawFormat = false, sawService = false;
    ModalDriver closed;
    closed.Then([&](QWidget* w) {
        sawFormat = qobject_cast<CFormatDlg*>(w) != nullptr;
        static_cast<QDialog*>(w)->reject();
        return true;
    });
    closed.Then([&](QWidget* w) {
        sawService = qobject_cast<CDiskServiceDlg*>(w) != nullptr;
        static_cast<QDialog*>(w)->reject();
        return true;
    });
    EXPECT_TRUE(view.Commands().Run(ID_FORMAT));
    EXPECT_TRUE(view.Commands().Run(ID_DISK_SERVICE));
    EXPECT_TRUE(sawFormat);
    EXPECT_TRUE(sawService);
}

TEST_F(MaintenanceCommandTest, AnUnreadableSystemAreaUnderTheSignatureOffersTheFullTest) {
    disk.Faults().SetRange(1, 63, Fault::Unreadable);
    user.script.Push(Answer::Yes);
    bool fullTestChosen = false;
    {
        ModalDriver driver;
        driver.Then([&](QWidget* w) {
            auto* dlg = qobject_cast<CDiskServiceDlg*>(w);
            if (!dlg) return false;
            fullTestChosen = Child<QRadioButton>(*dlg, "fullTest")->isChecked();
            dlg->reject();
            return true;
        });
        ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
        EXPECT_TRUE(driver.Done());
    }
    EXPECT_TRUE(fullTestChosen);
    EXPECT_FALSE(view.IsOpen());
    ASSERT_EQ(user.script.Shown().size(), 1u);
    const Message offer = user.script.Shown()[0];
    EXPECT_EQ(offer.text.rfind("Diskette is not formated for Orvalis.\n\nIts sector 0 carries the "
                               "Orvalis signature",
                               0),
              0u);
    EXPECT_EQ(offer.buttons, Buttons::YesNo);
    EXPECT_EQ(offer.icon, Icon::Question);

    // Without the signature nothing suggests Orvalis files: Format is offered, not the test.
    disk.PutRaw(0, SectorImage{});
    user.script.Push(Answer::Yes);  // open a diskette that seems not formatted for Orvalis
    user.script.Push(Answer::No);   // and do not format it
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
    const Message plain = user.script.Shown().back();
    EXPECT_EQ(plain.text.rfind("Diskette is not formated for Orvalis.\n\nFormat prepares it", 0),
              0u);
    EXPECT_EQ(plain.buttons, Buttons::YesNo);
    EXPECT_EQ(plain.icon, Icon::Question);
}

struct InfoSeen {
    QString title, bad, used, free, label, files;
    int badBar = -1, usedBar = -1, freeBar = -1;
};

ModalDriver::Handler ReadInfo(InfoSeen& seen) {
    return [&seen](QWidget* w) {
        auto* dlg = qobject_cast<CDiskInfoDlg*>(w);
        if (!dlg) return false;
        seen.title = dlg->windowTitle();
        seen.bad = Child<QLabel>(*dlg, "badText")->text();
        seen.used = Child<QLabel>(*dlg, "usedText")->text();
        seen.free = Child<QLabel>(*dlg, "freeText")->text();
        seen.label = Child<QLabel>(*dlg, "label")->text();
        seen.files = Child<QLabel>(*dlg, "filesText")->text();
        seen.badBar = Child<QProgressBar>(*dlg, "badBar")->value();
        seen.usedBar = Child<QProgressBar>(*dlg, "usedBar")->value();
        seen.freeBar = Child<QProgressBar>(*dlg, "freeBar")->value();
        dlg->accept();
        return true;
    };
}

TEST_F(MaintenanceCommandTest, DisketteInfoShowsTheOpenDisketteWithItsBars) {
    {
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        volume.MarkBad(70);
        ASSERT_EQ(volume.WriteFat(), 0);
    }
    Open();
    AddToDiskette("a.txt", 900);  // 448 bytes in the header unit, the rest in a second
    InfoSeen one;
    ModalDriver driver;
    driver.Then(ReadInfo(one));
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_INFO));
    EXPECT_EQ(one.title, "Informations - Diskette 3.5 (Halvorn)");
    EXPECT_EQ(one.label, "WORK");
    EXPECT_EQ(one.files, "1");
    EXPECT_EQ(one.bad, "507");
    EXPECT_EQ(one.badBar, 0);  // one bad unit stays below a hundredth
    EXPECT_EQ(one.used, "1 014");
    EXPECT_EQ(one.usedBar, 1);  // above 1000 bytes a bar always shows
    EXPECT_EQ(one.free, "1 426 191");
    EXPECT_EQ(one.freeBar, 99);

    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_CLOSE));
    {
        CVolume volume(&disk.Drive());
        ASSERT_TRUE(OpenVolume(volume));
        volume.MarkBad(71);
        ASSERT_EQ(volume.WriteFat(), 0);
    }
    Open();
    InfoSeen two;
    driver.Then(ReadInfo(two));
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_INFO));
    EXPECT_EQ(two.bad, "1 014");
    EXPECT_EQ(two.badBar, 1);
}

}  // namespace
}  // namespace orv::tests

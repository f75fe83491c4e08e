#include "cli/maintenance_commands.h"

#include <iostream>
#include <sstream>

#include "cli/console_progress.h"
#include "maintenance/diskservice/service_controller.h"
#include "maintenance/format/format_controller.h"
#include "maintenance/repair/repair_file.h"
#include "maintenance/repair/repair_input.h"

namespace orv::cli {

namespace {

// The dialog of a format or disk service on the console: status lines as they change, the
// progress on a terminal, and the results.
class ConsoleMaintenanceView final : public IMaintenanceView {
public:
    explicit ConsoleMaintenanceView(bool showProgress) : m_bShowProgress(showProgress) {}

    void SetStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        if (text == m_status) return;
        m_status = text;
        if (text.empty()) return;
        EndProgressLine();
        std::cout << text << std::endl;
    }
    void SetProgress(int position) override {
        std::lock_guard lock(m_mutex);
        if (!m_bShowProgress || position == m_progress) return;
        m_progress = position;
        std::cerr << "\r[" << position << "%]\x1b[K" << std::flush;
        m_bProgressShown = true;
    }
    void SetTimer(bool) override {}
    void SetBusy(bool) override {}
    void ShowResults(const ResultsTexts& t) override {
        std::lock_guard lock(m_mutex);
        EndProgressLine();
        std::cout << t.title << "\n"
                  << "  " << t.total << " Bytes\n"
                  << "  " << t.systemBytes << " Bytes used by system\n"
                  << "  " << t.badBytes << " Bytes in bad sectors\n"
                  << "  " << t.freeBytes << " Bytes free\n"
                  << "  Diskette label " << t.label << "\n";
        if (!t.uncertainFiles.empty()) {
            std::cout << "  Uncertain files (compare them with the originals):\n";
            for (const std::string& name : t.uncertainFiles) std::cout << "    " << name << "\n";
        }
        if (!t.damagedFiles.empty()) {
            std::cout << "  Damaged files (the bytes a copy fills in, at the chain positions it "
                         "reports):\n";
            for (const std::string& name : t.damagedFiles) std::cout << "    " << name << "\n";
        }
        std::cout << std::flush;
    }
    void CloseDialog() override {}

private:
    void EndProgressLine() {
        if (m_bProgressShown) std::cerr << "\r\x1b[K" << std::flush;
        m_bProgressShown = false;
    }
    std::mutex m_mutex;
    bool m_bShowProgress;
    bool m_bProgressShown = false;
    std::string m_status;
    int m_progress = -1;
};

// Runs a controller as its dialog would: Start, then the ticks until the finishing step
// (which may start the full test after a system parts test). Ctrl-C is the dialog's Cancel.
template <typename Controller>
int RunController(Controller& controller) {
    SetStopTarget(&controller);
    // The worker runs to its end inside Start; each tick then finishes it (and may start the
    // full test that a system parts test handed over to).
    const bool started = controller.Start();
    while (started && controller.TimerActive()) controller.Tick();
    SetStopTarget(nullptr);
    return started && controller.LastOutcome() == 0 ? 0 : 1;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> entries;
    std::stringstream in(text);
    for (std::string entry; std::getline(in, entry, ',');)
        if (!entry.empty()) entries.push_back(entry);
    return entries;
}

std::optional<RepairRequest> RepairRequestFrom(Session& s, const RepairArgs& args) {
    RepairDialogInput input;
    for (const std::string& entry : SplitList(args.sectors)) {
        if (!AcceptSectorEntry(entry, *s.user)) return std::nullopt;
        input.entries.push_back(entry);
    }
    input.file = args.file;
    input.repairFile = args.repairFile;
    input.startByte = args.start;
    return AcceptRepairDialog(input, *s.user);
}

}  // namespace

int FormatCommand(Session& s, const FormatArgs& args) {
    // Format works on a volume of its own; the open document would describe a diskette that
    // is no more.
    if (s.doc->IsOpen()) {
        Notify(*s.user,
               "Diskette is open. Cannot format open diskete.\nClose diskette and try again.");
        return 1;
    }
    ConsoleMaintenanceView view(IsTerminal(2));
    CFormatController controller(&s.drive, *s.user, view, WorkerLaunch::Inline);
    controller.m_options.formatType = args.full ? 1 : 0;
    controller.m_options.noLabel = args.noLabel ? 1 : 0;
    controller.m_options.displayResults = args.noResults ? 0 : 1;
    controller.m_options.label = args.label;
    return RunController(controller);
}

int ServiceCommand(Session& s, const std::string& test) {
    if (s.doc->IsOpen()) {
        Notify(*s.user, "Diskette is open. Cannot scan open diskete.\nClose diskette and again.");
        return 1;
    }
    ConsoleMaintenanceView view(IsTerminal(2));
    CDiskServiceController controller(&s.drive, *s.user, view, WorkerLaunch::Inline);
    controller.m_nTestType = test == "repair0" ? TEST_REPAIR0
                             : test == "test"  ? TEST_SYSTEM_PARTS
                                               : TEST_FULL;
    return RunController(controller);
}

int RepairCreateCommand(Session& s, const RepairArgs& args) {
    const auto request = RepairRequestFrom(s, args);
    if (!request) return 1;
    return CreateRepairFile(*request, *s.user) == 0 ? 0 : 1;
}

int RepairApplyCommand(Session& s, const RepairArgs& args) {
    const auto request = RepairRequestFrom(s, args);
    if (!request) return 1;
    return RepairFromRepairFile(*request, *s.user) == 0 ? 0 : 1;
}

}  // namespace orv::cli

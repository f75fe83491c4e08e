#include "cli/command_set.h"

#include <CLI/CLI.hpp>

namespace orv::cli {

namespace {

constexpr char kBatchFooter[] =
    "A line holds one command as on the command line, with its own options (the options\n"
    "before 'batch' hold for the whole batch), or one of:\n"
    "  open          open the diskette in the drive\n"
    "  close         close the open diskette\n"
    "  insert PATH   put another image or device into the drive; an open diskette stays open\n"
    "  eject         leave the drive empty\n"
    "Words are quoted as in a shell; # at the start of a word begins a comment, so a file\n"
    "number is written '#3'. A command that needs the diskette opens it when none is open;\n"
    "format and service refuse while one is. Without --keep-going the batch stops at the\n"
    "first command that fails. Exit status: 1 when any command failed, else 0.";

void AddReportOptions(CLI::App& cmd, CommandArgs& args) {
    cmd.add_option("--report", args.reportPath, "Save the bad-sector report to this file");
    cmd.add_flag("--mark", args.mark, "Mark unreadable units bad (deletes the damaged file)");
}

}  // namespace

CLI::App* CommandSet::Add(CLI::App& app, CommandId id, const std::string& name,
                          const std::string& description) {
    CLI::App* cmd = app.add_subcommand(name, description);
    m_commands.emplace_back(cmd, id);
    return cmd;
}

CommandId CommandSet::Parsed() const {
    for (const auto& [cmd, id] : m_commands)
        if (cmd->parsed()) return id;
    return CommandId::None;
}

CommandSet::CommandSet(CLI::App& app, CommandScope scope) {
    CommandArgs& a = m_args;

    auto* mkimage = Add(app, CommandId::MkImage, "mkimage", "Create a blank 1 474 560-byte image");
    mkimage->add_option("PATH", a.path,
                        "Image to create (never overwritten); default the --drive image");

    Add(app, CommandId::List, "list", "List the files of the diskette")
        ->add_flag("--json", a.json, "Print a JSON array");

    Add(app, CommandId::Info, "info", "Show the diskette's label, dates and byte balance")
        ->add_flag("--json", a.json, "Print a JSON object");

    auto* add = Add(app, CommandId::Add, "add", "Add files (or one file from a byte position)");
    add->add_option("--from", a.position, "Add FILE from this byte position");
    add->add_option("FILE", a.files, "Files to add")->required()->check(CLI::ExistingFile);

    auto* copy = Add(app, CommandId::Copy, "copy", "Copy one file from the diskette to TARGET");
    copy->add_option("NAME", a.path, "Display name or #NUMBER")->required();
    copy->add_option("TARGET", a.target, "File to create")->required();
    AddReportOptions(*copy, a);

    auto* copyTo =
        Add(app, CommandId::CopyTo, "copy-to", "Copy files from the diskette into FOLDER");
    copyTo->add_option("FOLDER", a.folder, "Existing folder")
        ->required()
        ->check(CLI::ExistingDirectory);
    copyTo->add_option("NAME", a.names, "Display names or #NUMBERs; none: every file");
    AddReportOptions(*copyTo, a);

    auto* copyAt = Add(app, CommandId::CopyAt, "copy-at",
                       "Write a diskette file into TARGET at POS (0 = append)");
    copyAt->add_option("NAME", a.path, "Display name or #NUMBER")->required();
    copyAt->add_option("TARGET", a.target, "Existing file")->required();
    copyAt->add_option("POS", a.position, "Byte position")->required();
    AddReportOptions(*copyAt, a);

    Add(app, CommandId::Delete, "delete", "Delete files from the diskette")
        ->add_option("NAME", a.names, "Display names or #NUMBERs")
        ->required();

    auto* format = Add(app, CommandId::Format, "format",
                       "Format the diskette for Orvalis (quick unless --full)");
    format->add_flag("--full", a.format.full, "Read every sector and mark the bad ones");
    auto* labelOption = format->add_option("--label", a.format.label,
                                           "Diskette label (16 characters reach the diskette)");
    format->add_flag("--no-label", a.format.noLabel, "Keep the label the diskette has")
        ->excludes(labelOption);
    format->add_flag("--no-results", a.format.noResults, "Do not print the results");

    Add(app, CommandId::Service, "service",
        "Disk service: repair sector 0, test the system parts, or the full test")
        ->add_option("TEST", a.testType, "repair0, test or full")
        ->required()
        ->check(CLI::IsMember({"repair0", "test", "full"}));

    auto* repairCreate =
        Add(app, CommandId::RepairCreate, "repair-create",
            "Collect the pieces at the listed positions of an intact SOURCE into REPAIRFILE");
    auto* repairApply =
        Add(app, CommandId::RepairApply, "repair-apply",
            "Write the pieces of REPAIRFILE into the damaged TARGET at the listed positions");
    for (auto* cmd : {repairCreate, repairApply}) {
        cmd->add_option("--sectors", a.repair.sectors,
                        "Chain positions from the bad-sector report, N,N,...")
            ->required();
        cmd->add_option("--start", a.repair.start,
                        "Start Byte from the bad-sector report (default 0)");
    }
    repairCreate->add_option("SOURCE", a.repair.file, "Intact copy of the file")->required();
    repairCreate->add_option("REPAIRFILE", a.repair.repairFile, "Repair file to create")
        ->required();
    repairApply->add_option("REPAIRFILE", a.repair.repairFile, "Repair file")->required();
    repairApply->add_option("TARGET", a.repair.file, "Damaged copy to repair")->required();

    if (scope == CommandScope::CommandLine) {
        auto* batch = Add(app, CommandId::Batch, "batch",
                          "Run commands from SCRIPT, one a line, on one drive and one document");
        batch->add_flag("--keep-going", a.keepGoing, "Go on after a command that failed");
        batch->add_option("SCRIPT", a.script, "Script file; - or none: standard input");
        batch->footer(kBatchFooter);
        return;
    }
    Add(app, CommandId::Open, "open", "Open the diskette in the drive");
    Add(app, CommandId::Close, "close", "Close the open diskette");
    Add(app, CommandId::Insert, "insert",
        "Put an image file or block device into the drive; an open diskette stays open")
        ->add_option("PATH", a.path, "Image file or block device")
        ->required();
    Add(app, CommandId::Eject, "eject", "Leave the drive empty");
}

void AddGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--drive", options.drive,
                   "What is in drive A: (image file or block device); default $ORVALIS_DRIVE or "
                   "~/.local/share/orvalis/drive-a.img");
    app.add_option("--then", options.then,
                   "Diskette images to insert, in order, at each insert-diskette prompt")
        ->take_all();
    app.add_option("--answer", options.answers,
                   "Answers to the questions in the order asked: yes, no, ok, cancel")
        ->check(CLI::IsMember({"yes", "no", "ok", "cancel"}, CLI::ignore_case))
        ->take_all();
    app.add_flag("--yes", options.yes, "Yes/OK to every question that --answer does not cover");
    app.add_flag("--verify", options.verify, "Read test of every run before writing it");
    app.add_flag("--no-restore", options.noRestore,
                 "Do not give copied files the diskette's date and attributes");
    app.add_flag(
        "--stats", options.stats,
        "After the command (or the batch), print the drive's requests and the modelled drive time");
}

}  // namespace orv::cli

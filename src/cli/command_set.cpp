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
    "                (--mapfile FILE: the image's ddrescue mapfile, else one beside it)\n"
    "  eject         leave the drive empty\n"
    "Words are quoted as in a shell; # at the start of a word begins a comment, so a file\n"
    "number is written '#3'. A command that needs the diskette opens it when none is open;\n"
    "format and service refuse while one is. Without --keep-going the batch stops at the\n"
    "first command that fails. Exit status: 1 when any command failed, else 0.";

void AddReportFileOptions(CLI::App& cmd, CommandArgs& args) {
    cmd.add_option("--report", args.reportPath, "Save the bad-sector report to this file");
    cmd.add_option("--report-json", args.reportJsonPath,
                   "Save the bad-sector report as JSON: name, size, start, and per unreadable "
                   "piece its chain position, offset in the target and filler length");
}

// A file literally named "#3" and file number 3 are both "#3": --number says which is meant.
void AddNumberFlag(CLI::App& cmd, CommandArgs& args) {
    cmd.add_flag("--number", args.byNumber,
                 "NAME is a file number, as list shows it (never a file's name)");
}

void AddReportOptions(CLI::App& cmd, CommandArgs& args) {
    AddReportFileOptions(cmd, args);
    cmd.add_flag("--mark", args.mark, "Mark unreadable units bad (deletes the damaged file)");
}

constexpr char kImageFooter[] =
    "Reads all 2880 sectors of the diskette in the drive, a cylinder per request, into\n"
    "OUT, each at its place. A sector that fails is read again alone after the whole pass,\n"
    "up to --retries times; one that never reads stays zero and is listed in OUT.faults, so\n"
    "that OUT in the drive fails where the diskette failed. Run it again on the same OUT\n"
    "(later, or with the diskette in another drive) to read only what OUT.faults still\n"
    "lists. With --mapfile MAP the run is recorded in MAP, a GNU ddrescue mapfile, instead\n"
    "of OUT.faults (what never read as '-', which 'ddrescue -d -r3 DEVICE OUT MAP' tries\n"
    "again), and an existing OUT goes on from MAP: every sector not '+' is read, also into\n"
    "the short image that ddrescue leaves. An existing OUT without its sidecar (or MAP) is\n"
    "refused, never overwritten. Exit status: 0 when the run finished (complete or not),\n"
    "1 failed, refused or interrupted.";

constexpr char kMergeFooter[] =
    "Each sector comes from the first image that read it (by its sidecar, or by its ddrescue\n"
    "mapfile IMAGE.map or STEM.map beside it); where readable copies differ, the copy most\n"
    "images hold wins (a tie: the earliest image), and the summary lists those sectors.\n"
    "Sectors that no image read are zero and listed in OUT.faults. The images must be reads\n"
    "of one diskette (label and stamp of their ID records, where these read); otherwise the\n"
    "merge is refused unless --force.";

constexpr char kRescueFooter[] =
    "Every piece of NAME comes from the first image where it reads; pieces that no image\n"
    "reads are filled with 'X' and reported as a copy reports them. The copies must be one\n"
    "file (same size and date in their headers), each holding the whole file. Exit status:\n"
    "0 when TARGET is whole, 1 when pieces stay unread (TARGET is written all the same) or\n"
    "when refused.";

constexpr char kScanFooter[] =
    "Every file under DIR of exactly 1474560 bytes is an image (with its .faults sidecar and\n"
    "its ddrescue mapfile IMAGE.map or STEM.map, when there is one), and so is a shorter\n"
    "file that such a mapfile describes; no image is written, and each is held only while\n"
    "it is read. Reports each image's label, format date and state, each file's health\n"
    "(every unit is read), and the parts of spread files found across the images.\n"
    "--extract copies every file out into OUTDIR/<image name without .img>/<name>, damaged\n"
    "ones with the filler and a <name>.report beside them, and collects spread files whose\n"
    "parts are all present into OUTDIR/<name>; each folder is written under a partial name\n"
    "and renamed when complete, so a run again after an interruption skips what is there and\n"
    "ends with the folder one run makes. --jsonl gives one object a line (\"kind\": image,\n"
    "spread, not_image, totals); --jobs N reads N images at once, with the same output.\n"
    "Exit status: 0 when the scan ran, whatever the health; 1 when DIR cannot be read or a\n"
    "file could not be copied out.";

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
    AddNumberFlag(*copy, a);
    AddReportOptions(*copy, a);

    auto* copyTo =
        Add(app, CommandId::CopyTo, "copy-to", "Copy files from the diskette into FOLDER");
    copyTo->add_option("FOLDER", a.folder, "Existing folder")
        ->required()
        ->check(CLI::ExistingDirectory);
    copyTo->add_option("NAME", a.names, "Display names or #NUMBERs; none: every file");
    AddNumberFlag(*copyTo, a);
    AddReportOptions(*copyTo, a);

    auto* copyAt = Add(app, CommandId::CopyAt, "copy-at",
                       "Write a diskette file into TARGET at POS (0 = append)");
    copyAt->add_option("NAME", a.path, "Display name or #NUMBER")->required();
    copyAt->add_option("TARGET", a.target, "Existing file")->required();
    copyAt->add_option("POS", a.position, "Byte position")->required();
    AddNumberFlag(*copyAt, a);
    AddReportOptions(*copyAt, a);

    auto* del = Add(app, CommandId::Delete, "delete", "Delete files from the diskette");
    del->add_option("NAME", a.names, "Display names or #NUMBERs")->required();
    AddNumberFlag(*del, a);

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

    auto* image = Add(app, CommandId::Image, "image",
                      "Read the diskette in the drive into an image file (OUT.faults lists "
                      "what did not read)");
    image->add_option("--retries", a.retries, "Tries of a failing sector after the first (3)")
        ->check(CLI::Range(0, 100));
    image->add_flag("--json", a.json, "Print the summary as a JSON object");
    image->add_option("--mapfile", a.mapfile,
                      "Record the run in this GNU ddrescue mapfile instead of OUT.faults (and go "
                      "on from it)");
    image->add_option("OUT", a.target, "Image to create, or a partial one to fill in")->required();
    image->footer(kImageFooter);

    auto* merge =
        Add(app, CommandId::Merge, "merge", "Merge several reads of one diskette into one image");
    merge->add_flag("--force", a.force, "Merge images of different diskettes all the same");
    merge->add_option("OUT", a.target, "Image to create (never overwritten)")->required();
    merge->add_option("IN", a.images, "Images to merge, the preferred first")->required();
    merge->footer(kMergeFooter);

    auto* rescue = Add(app, CommandId::Rescue, "rescue",
                       "Rescue one file from several damaged copies of it on images");
    AddReportFileOptions(*rescue, a);
    rescue->add_option("NAME", a.path, "Display name of the file")->required();
    rescue->add_option("TARGET", a.target, "File to create (never overwritten)")->required();
    rescue->add_option("IMG", a.images, "Images that hold copies of the file")->required();
    rescue->footer(kRescueFooter);

    auto* scan = Add(app, CommandId::Scan, "scan", "Report the health of a folder of images");
    auto* json = scan->add_flag("--json", a.json, "Print a JSON object, written as the scan goes");
    scan->add_flag("--jsonl", a.jsonLines,
                   "Print one JSON object a line: each image, each spread set, each file that "
                   "is no image, then the totals")
        ->excludes(json);
    scan->add_option("--jobs", a.jobs,
                     "Images read at once (default: the processors available); the output is "
                     "the same for any number")
        ->check(CLI::Range(1, 256));
    scan->add_option("--extract", a.extractDir, "Copy every file out into this folder");
    scan->add_option("DIR", a.folder, "Folder of images, searched with its subfolders")->required();
    scan->footer(kScanFooter);

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
    auto* insert = Add(app, CommandId::Insert, "insert",
                       "Put an image file or block device into the drive; an open diskette "
                       "stays open");
    insert->add_option("PATH", a.path, "Image file or block device")->required();
    insert->add_option("--mapfile", a.mapfile,
                       "The image's GNU ddrescue mapfile (default: PATH.map or STEM.map beside "
                       "it)");
    Add(app, CommandId::Eject, "eject", "Leave the drive empty");
}

void AddGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--drive", options.drive,
                   "What is in drive A: (image file or block device); default $ORVALIS_DRIVE or "
                   "~/.local/share/orvalis/drive-a.img");
    app.add_option("--mapfile", options.mapfile,
                   "GNU ddrescue mapfile of the --drive image: only its finished ('+') sectors "
                   "read (default: IMAGE.map or STEM.map beside the image)");
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

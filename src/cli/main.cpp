// orvalis-cli: the command-line front end over the same core as the desktop program.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "cli/file_commands.h"
#include "cli/maintenance_commands.h"
#include "cli/session.h"
#include "disk/image_medium.h"

namespace {

constexpr int kUsageError = 2;

void PrintStats(const orv::CDrive& drive) {
    const orv::DriveStats s = drive.Stats();
    std::fprintf(stderr,
                 "orvalis-cli: reads %ld requests (%ld sectors), writes %ld requests (%ld "
                 "sectors)\n"
                 "orvalis-cli: medium reads %ld requests (%ld sectors), %ld served from the "
                 "track buffer\n"
                 "orvalis-cli: modelled drive time %.1f s (the drive passes these sectors in "
                 "%.1f s at the least)\n",
                 s.readRequests, s.readSectors, s.writeRequests, s.writeSectors,
                 s.mediumReadRequests, s.mediumReadSectors, s.bufferHits, s.modelledMs / 1000.0,
                 drive.Timing().PhysicalLimitMs(s.mediumReadSectors + s.writeSectors) / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orv::cli;
    CLI::App app{
        "Orvalis: files on worn 3.5\" 1.44 MB diskettes, from the command line.\n"
        "Drive A: is an image file (with an optional IMAGE.faults sidecar) or a block "
        "device."};
    app.require_subcommand(1);
    app.fallthrough(false);

    GlobalOptions options;
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
    app.add_flag("--stats", options.stats,
                 "After the command, print the drive's requests and the modelled drive time");

    std::string path, target, folder, position, reportPath;
    std::vector<std::string> files, names;
    bool json = false, mark = false;

    auto* mkimage = app.add_subcommand("mkimage", "Create a blank 1 474 560-byte image");
    mkimage->add_option("PATH", path,
                        "Image to create (never overwritten); default the --drive image");

    auto* list = app.add_subcommand("list", "List the files of the diskette");
    list->add_flag("--json", json, "Print a JSON array");

    auto* info = app.add_subcommand("info", "Show the diskette's label, dates and byte balance");
    info->add_flag("--json", json, "Print a JSON object");

    auto* add = app.add_subcommand("add", "Add files (or one file from a byte position)");
    add->add_option("--from", position, "Add FILE from this byte position");
    add->add_option("FILE", files, "Files to add")->required()->check(CLI::ExistingFile);

    auto* copy = app.add_subcommand("copy", "Copy one file from the diskette to TARGET");
    copy->add_option("NAME", path, "Display name or #NUMBER")->required();
    copy->add_option("TARGET", target, "File to create")->required();
    for (auto* cmd : {copy}) {
        cmd->add_option("--report", reportPath, "Save the bad-sector report to this file");
        cmd->add_flag("--mark", mark, "Mark unreadable units bad (deletes the damaged file)");
    }

    auto* copyTo = app.add_subcommand("copy-to", "Copy files from the diskette into FOLDER");
    copyTo->add_option("FOLDER", folder, "Existing folder")
        ->required()
        ->check(CLI::ExistingDirectory);
    copyTo->add_option("NAME", names, "Display names or #NUMBERs; none: every file");
    copyTo->add_option("--report", reportPath, "Save the bad-sector report to this file");
    copyTo->add_flag("--mark", mark, "Mark unreadable units bad (deletes the damaged file)");

    auto* copyAt =
        app.add_subcommand("copy-at", "Write a diskette file into TARGET at POS (0 = append)");
    copyAt->add_option("NAME", path, "Display name or #NUMBER")->required();
    copyAt->add_option("TARGET", target, "Existing file")->required();
    copyAt->add_option("POS", position, "Byte position")->required();
    copyAt->add_option("--report", reportPath, "Save the bad-sector report to this file");
    copyAt->add_flag("--mark", mark, "Mark unreadable units bad (deletes the damaged file)");

    auto* del = app.add_subcommand("delete", "Delete files from the diskette");
    del->add_option("NAME", names, "Display names or #NUMBERs")->required();

    FormatArgs formatArgs;
    auto* format =
        app.add_subcommand("format", "Format the diskette for Orvalis (quick unless --full)");
    format->add_flag("--full", formatArgs.full, "Read every sector and mark the bad ones");
    auto* labelOption = format->add_option("--label", formatArgs.label,
                                           "Diskette label (16 characters reach the diskette)");
    format->add_flag("--no-label", formatArgs.noLabel, "Keep the label the diskette has")
        ->excludes(labelOption);
    format->add_flag("--no-results", formatArgs.noResults, "Do not print the results");

    std::string testType;
    auto* service = app.add_subcommand(
        "service", "Disk service: repair sector 0, test the system parts, or the full test");
    service->add_option("TEST", testType, "repair0, test or full")
        ->required()
        ->check(CLI::IsMember({"repair0", "test", "full"}));

    RepairArgs repairArgs;
    auto* repairCreate = app.add_subcommand(
        "repair-create",
        "Collect the pieces at the listed positions of an intact SOURCE into REPAIRFILE");
    auto* repairApply = app.add_subcommand(
        "repair-apply",
        "Write the pieces of REPAIRFILE into the damaged TARGET at the listed positions");
    for (auto* cmd : {repairCreate, repairApply}) {
        cmd->add_option("--sectors", repairArgs.sectors,
                        "Chain positions from the bad-sector report, N,N,...")
            ->required();
        cmd->add_option("--start", repairArgs.start,
                        "Start Byte from the bad-sector report (default 0)");
    }
    repairCreate->add_option("SOURCE", repairArgs.file, "Intact copy of the file")->required();
    repairCreate->add_option("REPAIRFILE", repairArgs.repairFile, "Repair file to create")
        ->required();
    repairApply->add_option("REPAIRFILE", repairArgs.repairFile, "Repair file")->required();
    repairApply->add_option("TARGET", repairArgs.file, "Damaged copy to repair")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }

    if (mkimage->parsed()) {
        if (path.empty()) path = options.drive;
        if (path.empty()) {
            std::cerr << "orvalis-cli: mkimage needs PATH or --drive" << std::endl;
            return kUsageError;
        }
        std::string error;
        if (!orv::CreateBlankImage(path, error)) {
            std::cerr << "orvalis-cli: " << error << std::endl;
            return 1;
        }
        return 0;
    }

    InstallInterruptHandler();
    Session session(options, reportPath, mark);
    if (repairCreate->parsed()) return RepairCreateCommand(session, repairArgs);
    if (repairApply->parsed()) return RepairApplyCommand(session, repairArgs);
    if (!session.InsertDrive()) return 1;

    auto runDriveCommand = [&]() -> int {
        if (format->parsed()) return FormatCommand(session, formatArgs);
        if (service->parsed()) return ServiceCommand(session, testType);
        if (list->parsed()) return ListCommand(session, json);
        if (info->parsed()) return InfoCommand(session, json);
        if (add->parsed()) {
            if (position.empty()) return AddCommand(session, files);
            if (files.size() != 1) {
                std::cerr << "orvalis-cli: add --from takes exactly one FILE" << std::endl;
                return kUsageError;
            }
            return AddFromCommand(session, position, files.front());
        }
        if (copy->parsed()) return CopyCommand(session, path, target);
        if (copyTo->parsed()) return CopyToCommand(session, folder, names);
        if (copyAt->parsed()) return CopyAtCommand(session, path, target, position);
        if (del->parsed()) return DeleteCommand(session, names);
        return kUsageError;
    };
    const int status = runDriveCommand();
    if (options.stats) PrintStats(session.drive);
    return status;
}

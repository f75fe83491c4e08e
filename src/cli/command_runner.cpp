#include "cli/command_runner.h"

#include <iostream>

#include "cli/console_progress.h"
#include "cli/drive_commands.h"
#include "cli/file_commands.h"
#include "cli/maintenance_commands.h"
#include "cli/report_paths.h"
#include "cli/rescue_commands.h"

namespace orv::cli {

namespace {

// The commands that work on the diskette in the drive.
int RunDriveCommand(Session& s, CommandId id, const CommandArgs& a) {
    switch (id) {
        case CommandId::Open:
            return OpenCommand(s);
        case CommandId::Format:
            return FormatCommand(s, a.format);
        case CommandId::Service:
            return ServiceCommand(s, a.testType);
        case CommandId::List:
            return ListCommand(s, a.json);
        case CommandId::Info:
            return InfoCommand(s, a.json);
        case CommandId::Add:
            if (a.position.empty()) return AddCommand(s, a.files);
            if (a.files.size() != 1) {
                std::cerr << "orvalis-cli: add --from takes exactly one FILE" << std::endl;
                return kUsageError;
            }
            return AddFromCommand(s, a.position, a.files.front());
        case CommandId::Copy:
            return CopyCommand(s, a.path, a.target, a.byNumber);
        case CommandId::CopyTo:
            return CopyToCommand(s, a.folder, a.names, a.byNumber);
        case CommandId::CopyAt:
            return CopyAtCommand(s, a.path, a.target, a.position, a.byNumber);
        case CommandId::Delete:
            return DeleteCommand(s, a.names, a.byNumber);
        case CommandId::Image:
            return ImageCommand(s, a.target, a.retries, a.json, a.mapfile);
        default:
            return kUsageError;
    }
}

}  // namespace

namespace {

int RunOneCommand(Session& s, CommandId id, const CommandArgs& a) {
    s.user->NewCommand();
    s.report->SetOptions(a.reportPath, a.reportJsonPath, a.mark);
    switch (id) {
        case CommandId::MkImage:
            return MkImageCommand(s, a.path);
        case CommandId::RepairCreate:
            return RepairCreateCommand(s, a.repair);
        case CommandId::RepairApply:
            return RepairApplyCommand(s, a.repair);
        case CommandId::Merge:
            return MergeCommand(s, a.target, a.images, a.force);
        case CommandId::Rescue:
            if (RefuseReportPaths(s, id, a)) return 1;
            return RescueCommand(s, a.path, a.target, a.images, a.reportPath, a.reportJsonPath);
        case CommandId::Scan:
            return ScanCommand(s, {a.folder, a.extractDir,
                                   a.jsonLines ? ScanFormat::JsonLines
                                   : a.json    ? ScanFormat::Json
                                               : ScanFormat::Table,
                                   a.jobs});
        case CommandId::Close:
            return CloseCommand(s);
        case CommandId::Insert:
            return InsertCommand(s, a.path, a.mapfile);
        case CommandId::Eject:
            return EjectCommand(s);
        case CommandId::None:
        case CommandId::Batch:
            return kUsageError;
        default:
            break;
    }
    if (!s.EnsureDrive() || RefuseReportPaths(s, id, a)) return 1;
    return RunDriveCommand(s, id, a);
}

}  // namespace

int RunCommand(Session& s, CommandId id, const CommandArgs& a) {
    const int status = RunOneCommand(s, id, a);
    // A signal held back while the command wrote ends the program now that it is done.
    EndIfSignalled();
    return status;
}

}  // namespace orv::cli

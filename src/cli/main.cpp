// orvalis-cli: the command-line front end over the same core as the desktop program.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/batch_runner.h"
#include "cli/command_runner.h"
#include "cli/command_set.h"
#include "cli/drive_commands.h"
#include "cli/session.h"
#include "host/standard_streams.h"

namespace {

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
    if (!orv::FillClosedStandardStreams()) {
        std::fputs("orvalis-cli: /dev/null cannot be opened for a closed standard stream\n",
                   stderr);
        return orv::kNoStandardStreams;
    }
    using namespace orv::cli;
    CLI::App app{
        "Orvalis: files on worn 3.5\" 1.44 MB diskettes, from the command line.\n"
        "Drive A: is an image file (with an optional IMAGE.faults sidecar and GNU ddrescue "
        "mapfile) or a block device."};
    app.require_subcommand(1);
    app.fallthrough(false);
    GlobalOptions options;
    AddGlobalOptions(app, options);
    CommandSet commands(app, CommandScope::CommandLine);

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

    InstallInterruptHandler();
    Session session(options);
    const CommandArgs& args = commands.Args();
    const int status = commands.Parsed() == CommandId::Batch
                           ? RunBatch(session, args.script, args.keepGoing)
                           : RunCommand(session, commands.Parsed(), args);
    if (options.stats && session.DriveUsed()) PrintStats(session.drive);
    return status;
}

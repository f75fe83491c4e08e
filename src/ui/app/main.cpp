// orvalis [--drive PATH] [--open=PATH] [FILE]: the desktop program.
#include <QApplication>
#include <cstdio>

#include "host/standard_streams.h"
#include "ui/app/command_line.h"
#include "ui/app/orvalis_app.h"

int main(int argc, char** argv) {
    if (!orv::FillClosedStandardStreams()) {
        std::fputs("orvalis: /dev/null cannot be opened for a closed standard stream\n", stderr);
        return orv::kNoStandardStreams;
    }
    // --help and --version answer without a display: read before Qt looks for one.
    std::vector<std::string> raw(argv + 1, argv + argc);
    const orv::CommandLine early = orv::ParseCommandLine(raw);
    if (early.help || early.version) {
        std::fputs(early.help ? orv::UsageText().c_str() : "orvalis " ORVALIS_VERSION "\n", stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvalis");
    QApplication::setApplicationVersion(ORVALIS_VERSION);
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
    orv::COrvalisApp orvalis;
    if (!orvalis.InitInstance(orv::ParseCommandLine(args))) return 1;
    return QApplication::exec();
}

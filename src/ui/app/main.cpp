// orvalis [--drive PATH] [FILE]: the desktop program.
#include <QApplication>

#include "ui/app/command_line.h"
#include "ui/app/orvalis_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvalis");
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
    orv::COrvalisApp orvalis;
    if (!orvalis.InitInstance(orv::ParseCommandLine(args))) return 1;
    return QApplication::exec();
}

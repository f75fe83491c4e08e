// The file chooser of the desktop program: Qt's file and folder dialogs.
#pragma once

#include <QStringList>

#include "ui/dialogs/file_chooser.h"

namespace orv {

// "Name|*.a;*.b|...||" in Qt's notation: "Name (*.a *.b)". "*.*" stands for every file, also
// those without a dot in their name.
QStringList QtNameFilters(const std::string& filter);

class CQtFileChooser : public IFileChooser {
public:
    std::vector<std::string> Choose(const FileDialogRequest& request) override;
};

}  // namespace orv

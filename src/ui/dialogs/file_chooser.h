// Every file and folder choice of the program goes through this interface, so that the
// dialogs can be replaced by a script.
#pragma once

#include <string>
#include <vector>

namespace orv {

struct FileDialogRequest {
    enum class Kind { OpenOne, OpenMany, Save, Folder };
    Kind kind = Kind::OpenOne;
    std::string title;
    std::string initialName;  // the file-name field's preset
    // Pairs of display name and patterns separated by "|", ended by "||":
    // "All Files (*.*)|*.*|Text Files(*.txt,*.htm)|*.txt;*.htm||".
    std::string filter;
    bool confirmOverwrite = false;  // Save: ask before an existing file is replaced
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // The chosen paths (one, or several for OpenMany; a folder for Folder); empty when the
    // user cancelled.
    virtual std::vector<std::string> Choose(const FileDialogRequest& request) = 0;
};

}  // namespace orv

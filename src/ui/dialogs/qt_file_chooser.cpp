#include "ui/dialogs/qt_file_chooser.h"

#include "ui/platform/dialog_owner.h"

#include <QApplication>
#include <QFileDialog>
#include <QWidget>

namespace orv {

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty()) break;
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == "*.*") p = "*";
        result << QString("%1 (%2)").arg(name, patterns.join(' '));
    }
    return result;
}

std::vector<std::string> CQtFileChooser::Choose(const FileDialogRequest& r) {
    QWidget* parent = DialogOwner();
    const QString title = QString::fromStdString(r.title);
    std::vector<std::string> chosen;
    if (r.kind == FileDialogRequest::Kind::Folder) {
        const QString folder = QFileDialog::getExistingDirectory(parent, title);
        if (!folder.isEmpty()) chosen.push_back(folder.toStdString());
        return chosen;
    }
    QFileDialog dialog(parent, title);
    dialog.setNameFilters(QtNameFilters(r.filter));
    if (!r.initialName.empty()) dialog.selectFile(QString::fromStdString(r.initialName));
    switch (r.kind) {
        case FileDialogRequest::Kind::OpenMany:
            dialog.setFileMode(QFileDialog::ExistingFiles);
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            break;
        case FileDialogRequest::Kind::Save:
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
            break;
        default:
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            break;
    }
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& f : dialog.selectedFiles()) chosen.push_back(f.toStdString());
    return chosen;
}

}  // namespace orv

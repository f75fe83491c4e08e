// The commands that move files: Add..., Add from..., Copy..., Copy at... and Delete.
#include <QHeaderView>

#include "ports/text_format.h"
#include "transfer/document.h"
#include "transfer/file_batches.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/dialogs/start_from_dialog.h"
#include "ui/platform/busy_cursor.h"
#include "ui/platform/host_disk.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

constexpr const char* kAddFilter =
    "All Files (*.*)|*.*|Text Files(*.txt,*.htm)|*.txt;*.htm|Document Files (*.doc,*.rtf)|*.doc;"
    "*.rtf|Programs (*.exe,*.com)|*.exe;*.com|Archives (*.zip,*.rar)|*.zip;*.rar;*.arj|Source "
    "Files(*.cpp,*.h,*.c,*.asm)|*.cpp;*.h;*.c;*.asm||";
constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";
constexpr const char* kSelectFirst = "First select some file(s).";

}  // namespace

void COrvalisView::OnAdd() {
    if (m_doc.RefuseReadOnlyMedium()) return;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::OpenMany;
    request.title = "Select file(s)";
    request.initialName = "*.*";
    request.filter = kAddFilter;
    const std::vector<std::string> paths = m_chooser.Choose(request);
    if (paths.empty()) return;
    AddFiles(paths);
}

void COrvalisView::AddFiles(const std::vector<std::string>& paths) {
    std::string notes;
    {
        CBusyCursor busy;
        const AddFilesResult r =
            orv::AddFiles(m_doc, paths, [&notes](const std::string&, const AddOutcome& outcome) {
                if (const std::string note = SameNameNote(outcome); !note.empty())
                    notes += (notes.empty() ? "" : " ") + note;
            });
        if (r.end == BatchEnd::NotStarted) return;
    }
    RebuildList();
    ShowFreeSpace(notes);
}

void COrvalisView::OnAddFrom() {
    if (m_doc.RefuseReadOnlyMedium()) return;
    StartFromDialog dlg(m_user, m_chooser, true, "Insert position where add from.", this);
    if (dlg.exec() != QDialog::Accepted) return;
    AddOutcome outcome;
    BatchEnd end = BatchEnd::Done;
    {
        CBusyCursor busy;
        end = AddFileFrom(m_doc, dlg.FileName(), dlg.Position(), &outcome);
    }
    if (end != BatchEnd::Done) return;
    RebuildList();
    ShowFreeSpace(SameNameNote(outcome));
}

void COrvalisView::OnCopy() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        Say(kSelectFirst, Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (rows.size() == 1)
        CopyOneFile(rows.front());
    else
        CopyIntoFolder(rows);
    RefreshList();
}

void COrvalisView::CopyOneFile(int row) {
    FileRecord key = KeyFromRow(row);
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = "Copy file...";
    request.initialName = key.displayName;
    request.filter = kAllFilesFilter;
    request.confirmOverwrite = true;
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    CBusyCursor busy;
    CopyFile(m_doc, key, chosen.front());
}

void COrvalisView::CopyIntoFolder(const std::vector<int>& rows) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.title = "Select folder where to copy...";
    request.initialName = "Select folder where to copy";
    request.filter = "No files|*.$\xC3\x9F$||";
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    std::string folder = chosen.front();
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::vector<FileRecord> keys;
    for (int row : rows) keys.push_back(KeyFromRow(row));
    CopyFilesToFolder(m_doc, keys, folder);
}

void COrvalisView::OnCopyAt() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        Say(kSelectFirst, Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (rows.size() > 1) {
        Say("More than one file is selected.\nThis option's only for one file.\n\nSelect only one "
            "file please.",
            Buttons::Ok, Icon::Exclamation);
        return;
    }
    FileRecord key = KeyFromRow(rows.front());
    StartFromDialog dlg(m_user, m_chooser, false,
                        "Insert position where will copy\n0 = Add on the end of file.", this);
    if (dlg.exec() != QDialog::Accepted) return;
    const std::string path = dlg.FileName();
    const std::int32_t position = dlg.Position();
    int rc = 0;
    {
        CBusyCursor busy;
        rc = m_doc.CopyFromDiskette(key, path, false, position);
    }
    if (rc == -1) return;
    RefreshList();
    Say(StrFormat("File was added to %s\nfrom position %ld", path.c_str(), long(position)),
        Buttons::Ok, Icon::Information);
}

void COrvalisView::OnDelete() {
    const std::vector<int> rows = SelectedRows();
    std::vector<FileRecord> keys;
    for (int row : rows) keys.push_back(KeyFromRow(row));
    DeleteFilesResult r;
    {
        CBusyCursor busy;
        r = DeleteFiles(m_doc, keys);
        if (r.end == BatchEnd::NotStarted) return;
        // One file takes just its row away; several rebuild the list.
        if (rows.size() == 1) {
            // Only its row goes: the others keep their order.
            if (r.deleted == 1) RefreshList();
        } else {
            RebuildList();
        }
    }
    ShowFreeSpace();
}

}  // namespace orv

// The commands that move files: Add..., Add from..., Copy..., Copy at... and Delete.
#include <QHeaderView>

#include "host/host_file.h"
#include "ports/text_format.h"
#include "transfer/document.h"
#include "transfer/folder_copy_names.h"
#include "ui/app/busy_cursor.h"
#include "ui/app/host_disk.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/dialogs/start_from_dialog.h"
#include "ui/progress/progress_runner.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

constexpr const char* kAddFilter =
    "All Files (*.*)|*.*|Text Files(*.txt,*.htm)|*.txt;*.htm|Document Files (*.doc,*.rtf)|*.doc;"
    "*.rtf|Programs (*.exe,*.com)|*.exe;*.com|Archives (*.zip,*.rar)|*.zip;*.rar;*.arj|Source "
    "Files(*.cpp,*.h,*.c,*.asm)|*.cpp;*.h;*.c;*.asm||";
constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";
constexpr const char* kSelectFirst = "First select some file(s).";

long Kb(std::int64_t bytes) {
    return long(bytes / 1024);
}

std::string BiggerThanDiskText(const std::string& name, std::int64_t need,
                               const std::string& target, std::int64_t room) {
    return StrFormat(
        "File %s   ( %ld kB ) is bigger\nthan free space on the disk %s  ( %ld kB )\n\nDo you "
        "want to try to write this file ?",
        name.c_str(), Kb(need), FileSystemOf(target).c_str(), long(std::uint64_t(room) >> 10));
}

// The files a command could not handle, one a line (a screenful at most; the rest counted).
std::string NamedFiles(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 20;
    std::string text = "\n";
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += "\n" + names[i];
    if (names.size() > kShown) text += StrFormat("\n... and %d more", int(names.size() - kShown));
    return text;
}

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
    if (m_doc.RefuseReadOnlyMedium()) return;
    std::string notes;
    {
        CBusyCursor busy;
        CProgressBatch batch(m_doc.Progress(), int(paths.size()));
        int n = 0;
        for (const std::string& path : paths) {
            batch.File(++n);
            const std::int64_t free = DisketteFreeBytes();
            const std::int64_t size = HostFileSize(path);
            if (free < size) {
                const Answer a =
                    Say(StrFormat("File %s\n( %ld kB ) is bigger than free space on "
                                  "the diskette ( %ld kB)\n\nDo you want to continue ?",
                                  path.c_str(), Kb(size), Kb(free)),
                        Buttons::YesNoCancel, Icon::Question, Answer::No);
                if (a == Answer::Cancel) break;
                if (a != Answer::Yes) continue;
            }
            AddOutcome outcome;
            if (m_doc.AddFile(path, 0, &outcome) == -1) break;
            if (const std::string note = SameNameNote(outcome); !note.empty())
                notes += (notes.empty() ? "" : " ") + note;
        }
    }
    RebuildList();
    ShowFreeSpace(notes);
}

void COrvalisView::OnAddFrom() {
    if (m_doc.RefuseReadOnlyMedium()) return;
    StartFromDialog dlg(m_user, m_chooser, true, "Insert position where add from.", this);
    if (dlg.exec() != QDialog::Accepted) return;
    const std::int32_t position = dlg.Position();
    const std::string path = dlg.FileName();
    const std::int64_t free = DisketteFreeBytes();
    const std::int64_t size = HostFileSize(path);
    if (free < size - position) {
        const Answer a = Say(StrFormat("Part of file  %s\nSize %ld kB  is bigger than free space "
                                       "on the diskette ( %ld kB)\n\nDo you want to continue ?",
                                       path.c_str(), Kb(size - position), Kb(free)),
                             Buttons::YesNo, Icon::Question, Answer::No);
        if (a != Answer::Yes) return;
    }
    int rc = 0;
    AddOutcome outcome;
    {
        CBusyCursor busy;
        rc = m_doc.AddFile(path, position, &outcome);
    }
    if (rc == -1) return;
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
    const std::string& target = chosen.front();
    const std::int64_t room = HostFreeSpace(target);
    const std::int64_t need = m_doc.BytesOnDiskette(key);
    if (room < need && room != -1 &&
        Say(BiggerThanDiskText(key.displayName, need, target, room), Buttons::YesNo, Icon::Question,
            Answer::No) != Answer::Yes)
        return;
    CBusyCursor busy;
    m_doc.CopyFromDiskette(key, target, true, -1);
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

    std::vector<std::string> failed;
    CFolderCopyNames given(folder);
    CProgressBatch batch(m_doc.Progress(), int(rows.size()));
    int n = 0;
    for (int row : rows) {
        batch.File(++n);
        FileRecord key = KeyFromRow(row);
        const std::int64_t room = HostFreeSpace(folder);
        const std::int64_t need = m_doc.BytesOnDiskette(key);
        if (room < need && room != -1) {
            const Answer a = Say(BiggerThanDiskText(key.displayName, need, folder, room),
                                 Buttons::YesNoCancel, Icon::Question, Answer::No);
            if (a == Answer::Cancel) break;
            if (a != Answer::Yes) continue;
        }
        if (m_doc.CopyToFolder(key, folder, &given) == -1) failed.push_back(key.displayName);
    }
    if (!failed.empty())
        Say(StrFormat("%d file(s) was not copied.", int(failed.size())) + NamedFiles(failed),
            Buttons::Ok, Icon::Exclamation);
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
    if (rows.empty()) {
        Say(kSelectFirst, Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (m_doc.RefuseReadOnlyMedium()) return;
    if (Say("Are you sure you want to delete the file(s).", Buttons::YesNo, Icon::Question) !=
        Answer::Yes)
        return;
    {
        CBusyCursor busy;
        if (rows.size() == 1) {
            if (m_doc.DeleteFromDiskette(KeyFromRow(rows.front()), true, true) == 0)
                delete takeTopLevelItem(rows.front());
        } else {
            bool untried = false;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const bool last = i + 1 == rows.size();
                if (m_doc.DeleteFromDiskette(KeyFromRow(rows[i]), last, true) != 0) {
                    untried = !last;
                    break;
                }
            }
            RebuildList();
            if (untried) Say("Not all files were erased", Buttons::Ok, Icon::Exclamation);
        }
    }
    ShowFreeSpace();
}

}  // namespace orv

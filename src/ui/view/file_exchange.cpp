// Files between the list and the desktop: dropped or pasted host files are added as Add...
// adds them; files dragged out of the list or copied with Ctrl+C are copied from the diskette
// into a temporary folder first, and the desktop is offered their URLs.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "ports/text_format.h"
#include "transfer/document.h"
#include "transfer/folder_copy_names.h"
#include "ui/commands/command_ids.h"
#include "ui/resources/pictures.h"
#include "ui/view/orvalis_view.h"

namespace orv {

namespace {

// GNOME's file manager and its kin paste files from a list of their own beside the URLs.
constexpr const char* kGnomeCopiedFiles = "x-special/gnome-copied-files";

std::vector<std::string> LocalFiles(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

}  // namespace

bool COrvalisView::AcceptsDrop(const QMimeData* data) const {
    return data && CanRun(ID_FILE_ADD) && !LocalFiles(*data).empty();
}

bool COrvalisView::AddDroppedFiles(const QMimeData& data) {
    if (!AcceptsDrop(&data)) return false;
    AddFiles(LocalFiles(data));
    emit commandStateChanged();
    return true;
}

void COrvalisView::dragEnterEvent(QDragEnterEvent* event) {
    // The list's own rows are not moved around: a drag from here only goes out.
    if (event->source() != this && AcceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void COrvalisView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() != this && AcceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void COrvalisView::dropEvent(QDropEvent* event) {
    if (event->source() == this || !AcceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The source waits for the drop to end: the add, with its questions, comes after.
    auto data = std::make_shared<QMimeData>();
    data->setUrls(event->mimeData()->urls());
    QMetaObject::invokeMethod(
        this, [this, data] { AddDroppedFiles(*data); }, Qt::QueuedConnection);
}

std::unique_ptr<QMimeData> COrvalisView::ExportSelection(std::unique_ptr<QTemporaryDir>& folder) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return nullptr;
    auto fresh = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/orvalis-XXXXXX");
    if (!fresh->isValid()) {
        Say(StrFormat("Could not create a temporary folder in %s.",
                      QDir::tempPath().toStdString().c_str()),
            Buttons::Ok, Icon::Exclamation);
        return nullptr;
    }
    const std::string dir = fresh->path().toStdString();
    QList<QUrl> urls;
    CFolderCopyNames given(dir);
    for (int row : rows) {
        FileRecord key = KeyFromRow(row);
        std::string path;
        if (m_doc.CopyToFolder(key, dir, &given, &path) != 0) continue;
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
    RefreshList();  // a copy only reads: order and selection stay
    if (urls.isEmpty()) return nullptr;
    folder = std::move(fresh);
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    QByteArray copied = "copy";
    for (const QUrl& url : urls) copied += "\n" + url.toEncoded();
    data->setData(kGnomeCopiedFiles, copied);
    return data;
}

void COrvalisView::startDrag(Qt::DropActions) {
    if (!CanRun(ID_EDIT_COPY)) return;
    std::unique_ptr<QMimeData> data = ExportSelection(m_pDragExport);
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    drag->setPixmap(LoadPicture(IDI_PAPERS));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void COrvalisView::OnCopyToClipboard() {
    std::unique_ptr<QMimeData> data = ExportSelection(m_pClipboardExport);
    if (!data) return;
    const auto count = data->urls().size();
    QApplication::clipboard()->setMimeData(data.release());
    SetStatusText(StrFormat("%d file(s) on the clipboard", int(count)));
}

void COrvalisView::OnPasteFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || LocalFiles(*data).empty()) {
        Say("The clipboard holds no files.", Buttons::Ok, Icon::Exclamation);
        return;
    }
    // The clipboard may change while the files are added.
    QMimeData copy;
    copy.setUrls(data->urls());
    AddDroppedFiles(copy);
}

}  // namespace orv

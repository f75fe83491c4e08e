// The file list of the main window: a list over the diskette's files (the model and its sort
// order live in ui/list), the enable rules of every command, and the commands themselves.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include "fs/file_record.h"
#include "ports/user_port.h"
#include "ui/commands/command_set.h"
#include "ui/list/file_list_model.h"
#include "ui/list/file_sort_proxy.h"

class QMenu;
class QMimeData;
class QTemporaryDir;

namespace orv {

class CDriveControl;
class COrvalisDoc;
class CScanWindow;
class IFileChooser;

class COrvalisView : public QTreeView {
    Q_OBJECT
public:
    // Without a drive control of the application's the view puts images into the document's
    // drive itself and remembers none.
    COrvalisView(COrvalisDoc& doc, IUserPort& user, IFileChooser& chooser,
                 CDriveControl* driveControl = nullptr, QWidget* parent = nullptr);
    ~COrvalisView() override;

    // Run once before the main window is shown: columns, list cursor, and the start file,
    // which is added one second later.
    void OnInitialUpdate(const std::string& startFile);

    // Every command of the window, with the view's own bound to their slots; the frame binds
    // the rest. Run carries a command out only while its rule allows it.
    CCommandSet& Commands() { return m_commands; }
    const CCommandSet& Commands() const { return m_commands; }
    bool IsOpen() const { return m_bOpen; }

    // The rows afresh from the document in reverse file-list order (the newest file on top);
    // the list is no longer sorted by a column.
    void RebuildList();
    // The rows afresh from the document in the order the list shows now (sorted by a column or
    // not), with the same files selected: what follows an operation that only reads.
    void RefreshList();
    void SortByColumn(int column);
    // With a note, the note follows the free space (a second file of a name just added).
    void ShowFreeSpace(const std::string& note = {});

    // The key record of a row: its name, size and number texts.
    FileRecord KeyFromRow(int row) const;
    // Indices of the selected rows, from the top of the list down.
    std::vector<int> SelectedRows() const;
    // Selects exactly these rows (counted from the top).
    void SelectRows(const std::vector<int>& rows);
    int RowCount() const { return m_proxy.rowCount(); }
    QString RowText(int row, int column) const;
    const CFileSortProxy& SortProxy() const { return m_proxy; }

    // Fills the context menu for the current state with the commands' actions.
    void BuildContextMenu(QMenu& menu);

    // What sits in drive A: now: the path of the image or device, empty when nothing.
    std::string DrivePath() const;
    // The ddrescue mapfile that says what of the image in the drive reads; empty: none.
    std::string DriveMapfile() const;
    // Where the drives of the machine are looked for: /sys, or a tree of a test's own.
    void SetSysRoot(std::string root) { m_strSysRoot = std::move(root); }

    // Files from the desktop (dropped or pasted) onto the diskette, with every question of Add.
    // False when no diskette is open or the data names no local file.
    bool AddDroppedFiles(const QMimeData& data);

signals:
    void statusTextChanged(const QString& text);
    void titleChanged(const QString& title);
    // The state that the enable rules read has changed.
    void commandStateChanged();
    void aboutRequested();

protected:
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BindCommands();
    // What follows every command of the view: rows of a reading the document replaced go.
    void AfterCommand();
    bool CanRun(int id) const { return m_commands.IsEnabled(id); }
    // Diskette commands.
    void OnOpen();
    void OnClose();
    void OnRefresh();
    void OnVerification();
    void OnRestoreAttributes();
    void OnDisketteInfo();
    void OnInsertImage();
    void OnNewImage();
    void OnInsertFromMenu(const std::string& path, bool recent);
    // Puts an image or device into the drive while no diskette is open, telling the user why
    // not otherwise; true when the drive holds it.
    bool PutIntoDrive(const std::string& path);
    void FillRecentImagesMenu(QMenu& menu);
    void FillDriveMenu(QMenu& menu);
    void OnStartFileTimer();
    // File transfer commands.
    void OnAdd();
    void AddFiles(const std::vector<std::string>& paths);
    void OnCopyToClipboard();
    void OnPasteFromClipboard();
    bool AcceptsDrop(const QMimeData* data) const;
    // The selected files copied into a fresh temporary folder, which replaces the one in
    // folder: the URLs for the desktop, or null when nothing was copied.
    std::unique_ptr<QMimeData> ExportSelection(std::unique_ptr<QTemporaryDir>& folder);
    void OnAddFrom();
    void OnCopy();
    void CopyOneFile(int row);
    void CopyIntoFolder(const std::vector<int>& rows);
    void OnCopyAt();
    void OnDelete();
    // Maintenance commands.
    void OnFormat();
    // The disk service, with the test type chosen beforehand when one is given.
    void OnDiskService(int testType = -1);
    void OnCreateRepairFile();
    void OnRepairFile();
    // Rescue commands over image files.
    void OnMakeImage();
    void OnMergeReads();
    void OnRescueFile();
    void OnScanFolder();
    // True, with the user told so, when one of the paths is the image of the open diskette,
    // which this program holds until Close.
    bool RefuseOpenImage(const std::vector<std::string>& paths);
    // Context menu only.
    void OnPropertiesOne();
    void OnPropertiesMany();

    // The rows afresh from the document, with the files that were selected (and the current
    // one) selected again as long as the rows showed the document's present reading.
    void ReloadRows();
    void ShowSortIndicator();
    int SourceRow(int row) const;
    // The title names the open diskette's label, or says that none is open.
    void ShowTitle();
    // Follows a document that closed itself after a failure it could not undo.
    void FollowDocument();
    // The rows show a reading of the list that the document has since replaced (it read a
    // diskette that came back into the drive again): a row may now stand for another file.
    bool RowsOutdated() const;

    void SetStatusText(const std::string& text);
    std::string DriveStatusText() const;  // "Drive A: PATH", and the mapfile that it reads by
    std::int64_t DisketteFreeBytes() const;
    Answer Say(const std::string& text, Buttons buttons, Icon icon,
               Answer defaultButton = Answer::None);

    COrvalisDoc& m_doc;
    IUserPort& m_user;
    IFileChooser& m_chooser;
    std::unique_ptr<CDriveControl> m_pOwnDriveControl;  // when the application gave none
    CDriveControl& m_drive;
    std::string m_strSysRoot = "/sys";
    // The files last copied out for the desktop: they must stay until the desktop has read
    // them, which it may do long after the drop or the paste.
    std::unique_ptr<QTemporaryDir> m_pDragExport;
    std::unique_ptr<QTemporaryDir> m_pClipboardExport;
    // The window of the last scan, while it is open.
    QPointer<CScanWindow> m_pScanWindow;

    CCommandSet m_commands;
    bool m_bVerifyMark = false;
    bool m_bRestoreMark = true;
    bool m_bOpen = false;
    bool m_bListCursorSet = false;
    std::string m_strStartFile;
    int m_nStartFileTimer = 0;  // 0 while no start-file timer runs
    bool m_bStartFileTimerUsed = false;
    long m_rowsReading = -1;  // the document's ListReadings() the rows were made from
    CFileListModel m_model;
    CFileSortProxy m_proxy;
};

}  // namespace orv

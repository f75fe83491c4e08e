// The file list, its rows and columns, and the diskette commands.
#include "ui/view/orvalis_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimerEvent>
#include <algorithm>
#include <optional>

#include "maintenance/diskservice/service_controller.h"
#include "ports/text_format.h"
#include "transfer/document.h"
#include "ui/commands/command_ids.h"
#include "ui/dialogs/disk_info_dlg.h"
#include "ui/frame/frame_texts.h"
#include "ui/platform/busy_cursor.h"
#include "ui/platform/drive_control.h"
#include "ui/resources/pictures.h"
#include "ui/view/context_menu_items.h"

namespace orv {

namespace {

constexpr int kStartFileDelayMs = 1000;
constexpr const char* kRebuildIdsOffer =
    "\n\nIts sector 0 carries the Orvalis signature: it was formatted for Orvalis, but its ID "
    "sectors cannot be read. The full test of Disk service rebuilds them from the files' own "
    "data; Format would delete the files.\n\nDo you want to run Disk service now ?";
constexpr const char* kFormatOffer =
    "\n\nFormat prepares it for Orvalis (whatever it holds now is lost).\n\nDo you want to "
    "format it now ?";
constexpr const char* kFormatNewImageOffer =
    "The new image is blank: it has to be formatted for Orvalis before use.\n\nDo you want to "
    "format it now ?";
constexpr const char* kRebuildTableOffer =
    "\n\nThe full test of Disk service rebuilds the allocation table from the files' own "
    "data.\n\nDo you want to run Disk service now ?";
// What a column is wider than its header text, in pixels.
constexpr int kExtraWidth[COL_COUNT] = {100, 35, 45, 35, 15};

}  // namespace

COrvalisView::COrvalisView(COrvalisDoc& doc, IUserPort& user, IFileChooser& chooser,
                           CDriveControl* driveControl, QWidget* parent)
    : QTreeView(parent),
      m_doc(doc),
      m_user(user),
      m_chooser(chooser),
      m_pOwnDriveControl(driveControl ? nullptr : std::make_unique<CDriveControl>(doc.Drive())),
      m_drive(driveControl ? *driveControl : *m_pOwnDriveControl) {
    m_proxy.setSourceModel(&m_model);
    setModel(&m_proxy);
    m_doc.SetFormatter([this] { return FormatDisketteInDrive(); });
    // Inside a spread add or copy the next diskette is shown as soon as it is open.
    m_doc.SetDisketteFollower([this] {
        RebuildList();
        ShowFreeSpace();
        ShowTitle();
    });
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);  // the list sorts itself only on header clicks
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &COrvalisView::SortByColumn);
    connect(header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (!m_bFitting && column != COL_NAME && column >= 0 && column < COL_COUNT)
            m_userWidths[std::size_t(column)] = width;
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &COrvalisView::commandStateChanged);
    connect(&m_proxy, &CFileSortProxy::orderChanged, this, &COrvalisView::ShowSortIndicator);
    // Enter or a double click copies the file, as Copy... does.
    connect(this, &QAbstractItemView::activated, this, [this] { m_commands.Run(ID_FILE_COPY); });
    // Files go both ways between the list and the desktop; the list never moves its own rows.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    BindCommands();
}

COrvalisView::~COrvalisView() {
    m_doc.SetFormatter({});
    m_doc.SetDisketteFollower({});
    // The model and the proxy are members: the view lets go of them before they go.
    setModel(nullptr);
}

void COrvalisView::OnInitialUpdate(const std::string& startFile) {
    if (!m_bListCursorSet) {
        viewport()->setCursor(ListCursor());
        m_bListCursorSet = true;
    }
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setSectionResizeMode(COL_NAME, QHeaderView::Stretch);
    FitColumns();
    m_strStartFile = startFile;
    if (!m_strStartFile.empty() && !m_bStartFileTimerUsed) {
        m_bStartFileTimerUsed = true;  // once per process
        m_nStartFileTimer = startTimer(kStartFileDelayMs);
    }
}

// --- Commands -----------------------------------------------------------------------------

void COrvalisView::BindCommands() {
    const struct {
        int id;
        void (COrvalisView::*slot)();
    } bindings[] = {
        {ID_DISKETTE_OPEN, &COrvalisView::OnOpen},
        {ID_DISKETTE_CLOSE, &COrvalisView::OnClose},
        {ID_DISKETTE_REFRESH, &COrvalisView::OnRefresh},
        {ID_INSERT_IMAGE, &COrvalisView::OnInsertImage},
        {ID_NEW_IMAGE, &COrvalisView::OnNewImage},
        {ID_EDIT_COPY, &COrvalisView::OnCopyToClipboard},
        {ID_EDIT_PASTE, &COrvalisView::OnPasteFromClipboard},
        {ID_VERIFICATION, &COrvalisView::OnVerification},
        {ID_RESTORE_ATTRIBUTES, &COrvalisView::OnRestoreAttributes},
        {ID_DISKETTE_INFO, &COrvalisView::OnDisketteInfo},
        {ID_FILE_ADD, &COrvalisView::OnAdd},
        {ID_FILE_ADD_FROM, &COrvalisView::OnAddFrom},
        {ID_FILE_COPY, &COrvalisView::OnCopy},
        {ID_FILE_COPY_AT, &COrvalisView::OnCopyAt},
        {ID_FILE_DELETE, &COrvalisView::OnDelete},
        {ID_FORMAT, &COrvalisView::OnFormat},
        {ID_CREATE_REPAIR_FILE, &COrvalisView::OnCreateRepairFile},
        {ID_REPAIR_FILE, &COrvalisView::OnRepairFile},
        {ID_MAKE_IMAGE, &COrvalisView::OnMakeImage},
        {ID_MERGE_READS, &COrvalisView::OnMergeReads},
        {ID_RESCUE_FILE, &COrvalisView::OnRescueFile},
        {ID_SCAN_FOLDER, &COrvalisView::OnScanFolder},
        {ID_PROPERTIES_ONE, &COrvalisView::OnPropertiesOne},
        {ID_PROPERTIES_MANY, &COrvalisView::OnPropertiesMany},
    };
    for (const auto& s : bindings)
        m_commands.Bind(s.id, [this, slot = s.slot] {
            (this->*slot)();
            AfterCommand();
        });
    m_commands.Bind(ID_DISK_SERVICE, [this] {
        OnDiskService();
        AfterCommand();
    });
    m_commands.Bind(ID_CONTEXT_ABOUT, [this] { emit aboutRequested(); });
    m_commands.BindSubmenu(ID_RECENT_IMAGES, [this](QMenu& menu) { FillRecentImagesMenu(menu); });
    m_commands.BindSubmenu(ID_DRIVE_MENU, [this](QMenu& menu) { FillDriveMenu(menu); });
    m_commands.AddStateSource([this](CommandState& s) {
        s.open = m_bOpen;
        s.selected = int(selectionModel()->selectedRows().size());
        s.verify = m_bVerifyMark;
        s.restore = m_bRestoreMark;
    });
    // Open and Close show their pictures in menus, and every toolbar command its button.
    for (const CommandInfo& info : CommandTable()) {
        QAction* action = m_commands.Action(info.id);
        const QIcon picture = CommandPicture(info.id);
        if (picture.isNull() || !action) continue;
        action->setIcon(picture);
        action->setIconVisibleInMenu(info.id == ID_DISKETTE_OPEN || info.id == ID_DISKETTE_CLOSE);
    }
    connect(this, &COrvalisView::commandStateChanged, &m_commands, &CCommandSet::Update);
}

void COrvalisView::AfterCommand() {
    if (m_bOpen && RowsOutdated()) RebuildList();
    emit commandStateChanged();
}

// --- Rows ---------------------------------------------------------------------------------

void COrvalisView::RebuildList() {
    FollowDocument();
    m_model.SetRecords(m_doc.Files());
    m_rowsReading = m_doc.ListReadings();
    if (m_pendingOrder && m_doc.IsOpen()) {
        m_proxy.SetOrder(m_pendingOrder->first, m_pendingOrder->second);
        m_pendingOrder.reset();
    } else {
        m_proxy.Unsort();
    }
    FitColumns();
    emit commandStateChanged();
}

void COrvalisView::FitColumns() {
    m_bFitting = true;
    const QFontMetrics fm(header()->font());
    for (int c = 0; c < COL_COUNT; ++c) {
        if (c == COL_NAME) continue;
        const int least = fm.horizontalAdvance(CFileListModel::HeaderText(c)) + kExtraWidth[c];
        const int user = m_userWidths[std::size_t(c)];
        setColumnWidth(c, user > 0 ? user : std::max(least, sizeHintForColumn(c)));
    }
    m_bFitting = false;
}

namespace {

constexpr const char* kWidthKeys[COL_COUNT] = {"list/width-name", "list/width-size",
                                               "list/width-date", "list/width-attributes",
                                               "list/width-number"};

}  // namespace

void COrvalisView::SaveListSettings(QSettings& settings) const {
    for (int c = 0; c < COL_COUNT; ++c) {
        if (c == COL_NAME) continue;
        if (m_userWidths[std::size_t(c)] > 0)
            settings.setValue(kWidthKeys[c], m_userWidths[std::size_t(c)]);
        else
            settings.remove(kWidthKeys[c]);
    }
    const std::pair<int, bool> order =
        m_pendingOrder ? *m_pendingOrder : std::pair{m_proxy.SortColumn(), m_proxy.SortAscending()};
    settings.setValue("list/sort-column", order.first);
    settings.setValue("list/sort-ascending", order.second);
}

void COrvalisView::RestoreListSettings(const QSettings& settings) {
    for (int c = 0; c < COL_COUNT; ++c) {
        if (c == COL_NAME) continue;
        const int width = settings.value(kWidthKeys[c], 0).toInt();
        // A width no one could use is a damaged file's, not the user's.
        m_userWidths[std::size_t(c)] = width >= 10 && width <= 2000 ? width : 0;
    }
    const int column = settings.value("list/sort-column", -1).toInt();
    const bool ascending = settings.value("list/sort-ascending", false).toBool();
    if (column >= 0 && column < COL_COUNT && column != COL_ATTRIBUTES) {
        m_pendingOrder = std::pair{column, ascending};
        // The next click on the column goes the other way, as after that click itself.
        SetSortAscendingNext(column, !ascending);
    }
    FitColumns();
}

void COrvalisView::FollowDocument() {
    // The document closes itself when, after a failure, it cannot read its diskette again.
    if (m_bOpen && !m_doc.IsOpen()) {
        m_bOpen = false;
        ShowTitle();
    }
}

bool COrvalisView::RowsOutdated() const {
    return m_doc.ListReadings() != m_rowsReading;
}

void COrvalisView::RefreshList() {
    FollowDocument();
    ReloadRows();
}

void COrvalisView::SortByColumn(int column) {
    CBusyCursor busy;
    // The rows of a reading the document has since replaced are replaced first.
    if (RowsOutdated()) ReloadRows();
    m_proxy.SortByColumn(column);  // the selection stays with its rows
    if (const QModelIndex current = currentIndex(); current.isValid()) scrollTo(current);
}

void COrvalisView::ReloadRows() {
    // A selection is kept only within one reading of the list: in another, the same number,
    // part and size may be another file.
    std::vector<RowIdentity> selected;
    std::optional<RowIdentity> current;
    if (!RowsOutdated()) {
        for (int row : SelectedRows()) selected.push_back(IdentityOf(KeyFromRow(row)));
        if (currentIndex().isValid()) current = IdentityOf(KeyFromRow(currentIndex().row()));
    }
    m_model.SetRecords(m_doc.Files());
    m_rowsReading = m_doc.ListReadings();
    FitColumns();

    QItemSelection selection;
    for (const RowIdentity& id : selected) {
        const int source = m_model.RowOf(id);
        if (source < 0) continue;
        const QModelIndex index = m_proxy.mapFromSource(m_model.index(source, 0));
        selection.select(index, index);
    }
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (current) {
        if (const int source = m_model.RowOf(*current); source >= 0) {
            const QModelIndex index = m_proxy.mapFromSource(m_model.index(source, 0));
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            scrollTo(index);
        }
    }
    emit commandStateChanged();
}

void COrvalisView::ShowSortIndicator() {
    // The indicator tells the order from the top row down.
    header()->setSortIndicator(m_proxy.SortColumn(), m_proxy.ShownOrder());
}

std::int64_t COrvalisView::DisketteFreeBytes() const {
    return m_doc.DeviceOpened() ? m_doc.Volume().FreeBytes() : -1;
}

void COrvalisView::ShowFreeSpace(const std::string& note) {
    const std::string free = StrFormat("%ld KB free on diskette", long(DisketteFreeBytes() / 1024));
    SetStatusText(note.empty() ? free : free + ". " + note);
}

int COrvalisView::SourceRow(int row) const {
    return m_proxy.mapToSource(m_proxy.index(row, 0)).row();
}

FileRecord COrvalisView::KeyFromRow(int row) const {
    if (row < 0 || row >= RowCount()) return {};
    return m_model.Record(SourceRow(row));
}

std::vector<int> COrvalisView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void COrvalisView::SelectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_proxy.index(row, 0);
        if (index.isValid()) selection.select(index, index);
    }
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString COrvalisView::RowText(int row, int column) const {
    return m_proxy.index(row, column).data().toString();
}

void COrvalisView::SetStatusText(const std::string& text) {
    emit statusTextChanged(QString::fromStdString(text));
}

Answer COrvalisView::Say(const std::string& text, Buttons buttons, Icon icon,
                         Answer defaultButton) {
    return m_user.ShowMessage(Message{text, buttons, icon, defaultButton});
}

// --- Diskette commands --------------------------------------------------------------------

void COrvalisView::OnOpen() {
    if (m_bOpen) return;
    if (const int image = CheckImageExists(); image <= 0) {
        if (image == 0) OfferFormat(kFormatNewImageOffer);
        return;
    }
    SetStatusText("Reading diskette, please wait...");
    int rc = 0;
    {
        CBusyCursor busy;
        rc = m_doc.OpenDiskette();
    }
    if (rc == 0) {
        RebuildList();
        m_bOpen = true;
        SetStatusText("Done...");
        ShowFreeSpace();
        ShowTitle();
        return;
    }
    SetStatusText(kIdleStatusText);  // nothing was read
    if (rc == -4) {
        m_doc.CloseDiskette();
        return;
    }
    const std::string message = m_doc.OpenErrorMessage(rc);
    // A diskette formatted for Orvalis whose system area cannot be read still holds its files,
    // each unit tagged with its owner: the full test rebuilds the rest, where Format would
    // erase them.
    const char* offer = rc == -2                            ? kRebuildTableOffer
                        : rc == -1 && m_doc.SignatureSeen() ? kRebuildIdsOffer
                                                            : nullptr;
    if (!offer) {
        m_doc.CloseDiskette();
        // Never formatted for Orvalis: Format is the way on.
        if (rc == -1)
            OfferFormat(message + kFormatOffer);
        else
            Say(message, Buttons::Ok, Icon::Stop);
        return;
    }
    m_doc.CloseDiskette();
    if (Say(message + offer, Buttons::YesNo, Icon::Question) == Answer::Yes)
        OnDiskService(TEST_FULL);
}

void COrvalisView::OnRefresh() {
    // Read again from the start, with every question and message of Open: the diskette in
    // the drive may have been changed or written elsewhere.
    m_doc.CloseDiskette();
    m_model.Clear();
    m_bOpen = false;
    OnOpen();
    if (!m_bOpen) ShowTitle();
}

void COrvalisView::OnClose() {
    m_doc.CloseDiskette();
    m_model.Clear();
    m_bOpen = false;
    ShowTitle();
}

void COrvalisView::ShowTitle() {
    // The label as text: a label written by an older program may not be UTF-8.
    emit titleChanged(m_bOpen ? QString::fromStdString("Orvalis - " + m_doc.LabelText())
                              : QString(kNoDiskTitle));
}

void COrvalisView::OnVerification() {
    m_bVerifyMark = !m_bVerifyMark;
    m_doc.m_bVerification = m_bVerifyMark;
}

void COrvalisView::OnRestoreAttributes() {
    m_bRestoreMark = !m_bRestoreMark;
    m_doc.m_bRestoreAttributes = m_bRestoreMark;
}

void COrvalisView::OnDisketteInfo() {
    const CVolume& volume = m_doc.Volume();
    CDiskInfoDlg dlg(this);
    dlg.SetInfo(volume.Ids().label, volume.Ids().stampTime, volume.FreeBytes(), volume.BadBytes(),
                volume.SystemBytes(), int(m_doc.Files().size()));
    dlg.exec();
}

void COrvalisView::timerEvent(QTimerEvent* event) {
    if (m_nStartFileTimer == 0 || event->timerId() != m_nStartFileTimer) {
        QTreeView::timerEvent(event);
        return;
    }
    OnStartFileTimer();
}

void COrvalisView::OnStartFileTimer() {
    // It fires once. Timer ids are reused, so the id is forgotten before anything else runs:
    // the list's own timers may get it again while the add below is under way.
    killTimer(m_nStartFileTimer);
    m_nStartFileTimer = 0;
    if (m_strStartFile.empty()) return;
    OnOpen();
    if (!m_bOpen) return;
    int rc = 0;
    AddOutcome outcome;
    {
        CBusyCursor busy;
        rc = m_doc.AddFile(m_strStartFile, 0, &outcome);
    }
    if (rc == -1) return;
    RebuildList();
    ShowFreeSpace(SameNameNote(outcome));
}

// --- Context menu and properties ----------------------------------------------------------

void COrvalisView::BuildContextMenu(QMenu& menu) {
    m_commands.Update();
    for (int id : ContextMenuItems(m_commands.State())) {
        if (id == 0)
            menu.addSeparator();
        else
            menu.addAction(m_commands.Action(id));
    }
}

void COrvalisView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        ShowContextMenuFromKeyboard();
        return;
    }
    QMenu menu(this);
    BuildContextMenu(menu);
    menu.exec(event->globalPos());  // the chosen action runs its command
}

void COrvalisView::ShowContextMenuFromKeyboard() {
    const QModelIndex current = currentIndex();
    QPoint at = current.isValid() ? visualRect(current).bottomLeft() : QPoint(0, 0);
    at.setX(std::max(at.x(), 0) + 8);
    QMenu menu(this);
    BuildContextMenu(menu);
    menu.exec(viewport()->mapToGlobal(at));
}

void COrvalisView::keyPressEvent(QKeyEvent* event) {
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (shiftF10 || event->key() == Qt::Key_Menu) {
        event->accept();
        ShowContextMenuFromKeyboard();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void COrvalisView::OnPropertiesOne() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    const FileRecord key = KeyFromRow(rows.front());
    const auto bytes = unsigned(m_doc.BytesOnDiskette(key));
    Say(StrFormat("%s\n\n%s: %u kB (%s %u )", key.displayName.c_str(), "Size", bytes / 1024,
                  "Bytes", bytes),
        Buttons::Ok, Icon::None);
}

void COrvalisView::OnPropertiesMany() {
    unsigned total = 0;
    for (int row : SelectedRows()) total += unsigned(m_doc.BytesOnDiskette(KeyFromRow(row)));
    Say(StrFormat("%s: %u kB (%s %u )", "Size", total / 1024, "Bytes", total), Buttons::Ok,
        Icon::None);
}

}  // namespace orv

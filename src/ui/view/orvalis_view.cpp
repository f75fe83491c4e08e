// The file list, its enable rules and the diskette commands.
#include "ui/view/orvalis_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimerEvent>
#include <algorithm>
#include <optional>

#include "fs/name_text.h"
#include "maintenance/diskservice/service_controller.h"
#include "ports/text_format.h"
#include "transfer/document.h"
#include "ui/app/busy_cursor.h"
#include "ui/app/drive_control.h"
#include "ui/dialogs/disk_info_dlg.h"
#include "ui/frame/command_ids.h"
#include "ui/frame/command_table.h"
#include "ui/resources/pictures.h"
#include "ui/view/context_menu_items.h"
#include "ui/view/record_sort.h"

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
// Item data of the name column that ties a row to its file.
constexpr int kKeyNumberRole = Qt::UserRole;
constexpr int kKeyExtensionRole = Qt::UserRole + 1;
constexpr int kKeyPartRole = Qt::UserRole + 2;
constexpr int kKeySizeRole = Qt::UserRole + 3;

struct ColumnSpec {
    const char* header;
    Qt::Alignment alignment;
    int extraWidth;
};

constexpr ColumnSpec kColumns[COL_COUNT] = {
    {"Name", Qt::AlignLeft, 100},          {"Size", Qt::AlignRight, 35},
    {"Date and Time", Qt::AlignRight, 45}, {"Attributes", Qt::AlignRight, 35},
    {"Num. in FAT", Qt::AlignRight, 15},
};

}  // namespace

COrvalisView::COrvalisView(COrvalisDoc& doc, IUserPort& user, IFileChooser& chooser,
                           CDriveControl* driveControl, QWidget* parent)
    : QTreeWidget(parent),
      m_doc(doc),
      m_user(user),
      m_chooser(chooser),
      m_pOwnDriveControl(driveControl ? nullptr : std::make_unique<CDriveControl>(doc.Drive())),
      m_drive(driveControl ? *driveControl : *m_pOwnDriveControl) {
    m_doc.SetFormatter([this] { return FormatDisketteInDrive(); });
    // Inside a spread add or copy the next diskette is shown as soon as it is open.
    m_doc.SetDisketteFollower([this] {
        RebuildList();
        ShowFreeSpace();
        ShowTitle();
    });
    m_openPicture = MenuPicture(ID_DISKETTE_OPEN);
    m_closePicture = MenuPicture(ID_DISKETTE_CLOSE);
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
    connect(this, &QTreeWidget::itemSelectionChanged, this, &COrvalisView::commandStateChanged);
    // Enter or a double click copies the file, as Copy... does.
    connect(this, &QTreeWidget::itemActivated, this, [this] { ExecuteCommand(ID_FILE_COPY); });
    // Files go both ways between the list and the desktop; the list never moves its own rows.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

COrvalisView::~COrvalisView() {
    m_doc.SetFormatter({});
    m_doc.SetDisketteFollower({});
}

void COrvalisView::OnInitialUpdate(const std::string& startFile) {
    if (!m_bListCursorSet) {
        viewport()->setCursor(ListCursor());
        m_bListCursorSet = true;
    }
    setColumnCount(COL_COUNT);
    QTreeWidgetItem* headerItem = new QTreeWidgetItem;
    for (int c = 0; c < COL_COUNT; ++c) {
        headerItem->setText(c, kColumns[c].header);
        headerItem->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
    }
    setHeaderItem(headerItem);
    const QFontMetrics fm(header()->font());
    for (int c = 0; c < COL_COUNT; ++c)
        setColumnWidth(c, fm.horizontalAdvance(kColumns[c].header) + kColumns[c].extraWidth);
    m_strStartFile = startFile;
    if (!m_strStartFile.empty() && !m_bStartFileTimerUsed) {
        m_bStartFileTimerUsed = true;  // once per process
        m_nStartFileTimer = startTimer(kStartFileDelayMs);
    }
}

// --- Enable rules and dispatch ------------------------------------------------------------

ViewState COrvalisView::State() const {
    return ViewState{m_bOpen, int(selectedItems().size()), m_bVerifyMark, m_bRestoreMark};
}

bool COrvalisView::HandlesCommand(int id) const {
    switch (id) {
        case ID_DISKETTE_OPEN:
        case ID_DISKETTE_CLOSE:
        case ID_INSERT_IMAGE:
        case ID_NEW_IMAGE:
        case ID_RECENT_IMAGES:
        case ID_DRIVE_MENU:
        case ID_EDIT_COPY:
        case ID_EDIT_PASTE:
        case ID_VERIFICATION:
        case ID_RESTORE_ATTRIBUTES:
        case ID_DISKETTE_INFO:
        case ID_FILE_ADD:
        case ID_FILE_ADD_FROM:
        case ID_FILE_COPY:
        case ID_FILE_COPY_AT:
        case ID_FILE_DELETE:
        case ID_FORMAT:
        case ID_DISK_SERVICE:
        case ID_CREATE_REPAIR_FILE:
        case ID_REPAIR_FILE:
        case ID_MAKE_IMAGE:
        case ID_MERGE_READS:
        case ID_RESCUE_FILE:
        case ID_SCAN_FOLDER:
        case ID_CONTEXT_ABOUT:
        case ID_PROPERTIES_ONE:
        case ID_PROPERTIES_MANY:
            return true;
        default:
            return false;
    }
}

bool COrvalisView::IsCommandEnabled(int id) const {
    return HandlesCommand(id) && CommandEnabled(id, State()).value_or(true);
}

bool COrvalisView::IsCommandChecked(int id) const {
    return CommandChecked(id, State()).value_or(false);
}

bool COrvalisView::ExecuteCommand(int id) {
    if (!IsCommandEnabled(id)) return false;
    switch (id) {
        case ID_DISKETTE_OPEN:
            OnOpen();
            break;
        case ID_DISKETTE_CLOSE:
            OnClose();
            break;
        case ID_INSERT_IMAGE:
            OnInsertImage();
            break;
        case ID_NEW_IMAGE:
            OnNewImage();
            break;
        case ID_EDIT_COPY:
            OnCopyToClipboard();
            break;
        case ID_EDIT_PASTE:
            OnPasteFromClipboard();
            break;
        case ID_VERIFICATION:
            OnVerification();
            break;
        case ID_RESTORE_ATTRIBUTES:
            OnRestoreAttributes();
            break;
        case ID_DISKETTE_INFO:
            OnDisketteInfo();
            break;
        case ID_FILE_ADD:
            OnAdd();
            break;
        case ID_FILE_ADD_FROM:
            OnAddFrom();
            break;
        case ID_FILE_COPY:
            OnCopy();
            break;
        case ID_FILE_COPY_AT:
            OnCopyAt();
            break;
        case ID_FILE_DELETE:
            OnDelete();
            break;
        case ID_FORMAT:
            OnFormat();
            break;
        case ID_DISK_SERVICE:
            OnDiskService();
            break;
        case ID_CREATE_REPAIR_FILE:
            OnCreateRepairFile();
            break;
        case ID_REPAIR_FILE:
            OnRepairFile();
            break;
        case ID_MAKE_IMAGE:
            OnMakeImage();
            break;
        case ID_MERGE_READS:
            OnMergeReads();
            break;
        case ID_RESCUE_FILE:
            OnRescueFile();
            break;
        case ID_SCAN_FOLDER:
            OnScanFolder();
            break;
        case ID_CONTEXT_ABOUT:
            emit aboutRequested();
            break;
        case ID_PROPERTIES_ONE:
            OnPropertiesOne();
            break;
        case ID_PROPERTIES_MANY:
            OnPropertiesMany();
            break;
        default:
            return false;
    }
    if (m_bOpen && RowsOutdated()) RebuildList();
    emit commandStateChanged();
    return true;
}

// --- Rows ---------------------------------------------------------------------------------

void COrvalisView::AddRow(const FileRecord& r) {
    auto* item = new QTreeWidgetItem;
    const std::string* texts[COL_COUNT] = {&r.displayName, &r.sizeText, &r.dateText,
                                           &r.attributeText, &r.numberText};
    for (int c = 0; c < COL_COUNT; ++c) {
        item->setText(c, QString::fromStdString(*texts[c]));
        item->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
    }
    // What ties the row to its file: the file number and the part as stored, never the text
    // shown (a name that is not UTF-8 is shown decoded).
    item->setData(COL_NAME, kKeyNumberRole, int(r.fileNumber));
    item->setData(COL_NAME, kKeyExtensionRole, QByteArray::fromStdString(r.extension));
    item->setData(COL_NAME, kKeyPartRole, int(r.partNumber));
    item->setData(COL_NAME, kKeySizeRole, qulonglong(r.size));
    insertTopLevelItem(0, item);
}

void COrvalisView::RebuildList() {
    clear();
    FollowDocument();
    for (const FileRecord& r : m_doc.Files()) AddRow(r);
    m_rowsReading = m_doc.ListReadings();
    m_nSortColumn = -1;
    ShowSortIndicator();
    emit commandStateChanged();
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
    std::vector<const FileRecord*> records;
    for (const FileRecord& r : m_doc.Files()) records.push_back(&r);
    OrderRecords(records, m_nSortColumn, m_bSortArrayAscending);
    ShowRecords(records);
}

void COrvalisView::SortByColumn(int column) {
    CBusyCursor busy;
    const bool ascending = SortAscendingNext(column);
    std::vector<const FileRecord*> records;
    for (const FileRecord& r : m_doc.Files()) records.push_back(&r);
    SortRecords(records, column);
    // "Attributes" does not sort: it shows the file list in reverse, as every rebuild does.
    const bool sorted = column != COL_ATTRIBUTES && column >= 0 && column < COL_COUNT;
    m_nSortColumn = sorted ? column : -1;
    m_bSortArrayAscending = ascending;
    ShowRecords(records);
}

namespace {

// What ties a row to its file, as AddRow stores it.
struct RowIdentity {
    int number;
    QByteArray extension;
    int part;
    qulonglong size;
    bool operator==(const RowIdentity&) const = default;
};

RowIdentity IdentityOf(const QTreeWidgetItem* item) {
    return {item->data(COL_NAME, kKeyNumberRole).toInt(),
            item->data(COL_NAME, kKeyExtensionRole).toByteArray(),
            item->data(COL_NAME, kKeyPartRole).toInt(),
            item->data(COL_NAME, kKeySizeRole).toULongLong()};
}

}  // namespace

void COrvalisView::ShowRecords(const std::vector<const FileRecord*>& records) {
    // A selection is kept only within one reading of the list: in another, the same number,
    // part and size may be another file.
    std::vector<RowIdentity> selected;
    std::optional<RowIdentity> current;
    if (!RowsOutdated()) {
        for (const QTreeWidgetItem* item : selectedItems()) selected.push_back(IdentityOf(item));
        if (currentItem()) current = IdentityOf(currentItem());
    }
    m_rowsReading = m_doc.ListReadings();

    clear();
    for (const FileRecord* r : records) AddRow(*r);
    QTreeWidgetItem* newCurrent = nullptr;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        const RowIdentity id = IdentityOf(item);
        if (std::find(selected.begin(), selected.end(), id) != selected.end())
            item->setSelected(true);
        if (current && id == *current) newCurrent = item;
    }
    if (newCurrent) {
        setCurrentItem(newCurrent, 0, QItemSelectionModel::NoUpdate);
        scrollToItem(newCurrent);
    }
    ShowSortIndicator();
    emit commandStateChanged();
}

void COrvalisView::ShowSortIndicator() {
    if (m_nSortColumn < 0) {
        header()->setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    // The rows show the sorted records in reverse: an ascending sort puts the greatest on top.
    header()->setSortIndicator(m_nSortColumn,
                               m_bSortArrayAscending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

std::int64_t COrvalisView::DisketteFreeBytes() const {
    return m_doc.DeviceOpened() ? m_doc.Volume().FreeBytes() : -1;
}

void COrvalisView::ShowFreeSpace(const std::string& note) {
    const std::string free = StrFormat("%ld KB free on diskette", long(DisketteFreeBytes() / 1024));
    SetStatusText(note.empty() ? free : free + ". " + note);
}

FileRecord COrvalisView::KeyFromRow(int row) const {
    FileRecord key;
    if (const QTreeWidgetItem* item = topLevelItem(row)) {
        key.displayName = item->text(COL_NAME).toStdString();
        key.sizeText = item->text(COL_SIZE).toStdString();
        key.fileNumber = std::uint16_t(item->data(COL_NAME, kKeyNumberRole).toInt());
        key.extension = item->data(COL_NAME, kKeyExtensionRole).toByteArray().toStdString();
        key.partNumber = std::uint8_t(item->data(COL_NAME, kKeyPartRole).toInt());
        key.size = std::uint32_t(item->data(COL_NAME, kKeySizeRole).toULongLong());
        key.numberText = item->text(COL_NUMBER).toStdString();
    }
    return key;
}

std::vector<int> COrvalisView::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected()) rows.push_back(i);
    return rows;
}

QString COrvalisView::RowText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
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

void COrvalisView::OnClose() {
    m_doc.CloseDiskette();
    clear();
    m_bOpen = false;
    ShowTitle();
}

void COrvalisView::ShowTitle() {
    // The label as text: a label written by an older program may not be UTF-8.
    emit titleChanged(
        m_bOpen ? QString::fromStdString("Orvalis - " + DisplayText(m_doc.Volume().Ids().label))
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
        QTreeWidget::timerEvent(event);
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
    for (const ContextItem& item : ContextMenuItems(State())) {
        if (item.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
        action->setEnabled(IsCommandEnabled(item.id));
        if (item.id == ID_DISKETTE_OPEN) action->setIcon(m_openPicture);
        if (item.id == ID_DISKETTE_CLOSE) action->setIcon(m_closePicture);
    }
}

void COrvalisView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    BuildContextMenu(menu);
    if (QAction* chosen = menu.exec(event->globalPos())) ExecuteCommand(chosen->data().toInt());
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

#include "ui/dialogs/scan_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "ports/text_format.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/platform/dialog_owner.h"
#include "ui/view/rescue_texts.h"

namespace orv {

namespace {

constexpr int kPathRole = Qt::UserRole;        // the image a row stands for
constexpr int kStatusRole = Qt::UserRole + 1;  // "file:damaged", "image:ok", "spread:complete"

constexpr const char* kHeaders[CScanWindow::COL_COUNT] = {
    "Image / File", "Status", "Label", "Size", "Date", "Num. in FAT", "Part", "Bad positions"};

// The groups of the filter, in the order offered, and how each is named.
const std::pair<const char*, const char*> kFilterGroups[] = {
    {"file:", "Files: "}, {"image:", "Images: "}, {"spread:", "Spread files: "}};

// kind and status make the row's key for the filter; shown is the status as the row says it.
QTreeWidgetItem* NewRow(const QString& name, const std::string& kind, const char* status,
                        const QString& shown = {}) {
    auto* item = new QTreeWidgetItem;
    item->setText(CScanWindow::COL_NAME, name);
    item->setText(CScanWindow::COL_STATUS, shown.isEmpty() ? QString(status) : shown);
    item->setData(CScanWindow::COL_NAME, kStatusRole, QString::fromStdString(kind + status));
    for (int c : {CScanWindow::COL_SIZE, CScanWindow::COL_NUMBER, CScanWindow::COL_PART})
        item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString Key(const QTreeWidgetItem* item) {
    return item->data(CScanWindow::COL_NAME, kStatusRole).toString();
}

QTreeWidgetItem* FileRow(const ScannedFile& f, const std::string& image) {
    const FileRecord& r = f.record;
    const bool named = f.health != FileHealth::HeaderUnreadable;
    // A file without its header is known only by its number in the table.
    auto* item =
        NewRow(QString::fromStdString(named ? r.displayName : "#" + std::to_string(r.fileNumber)),
               "file:", FileHealthText(f.health));
    item->setData(CScanWindow::COL_NAME, kPathRole, QString::fromStdString(image));
    if (named) {
        item->setText(CScanWindow::COL_SIZE, QString::fromStdString(r.sizeText));
        item->setText(CScanWindow::COL_DATE, QString::fromStdString(r.dateText));
    }
    item->setText(CScanWindow::COL_NUMBER, QString::number(r.fileNumber));
    if (f.part > 0) item->setText(CScanWindow::COL_PART, QString::number(f.part));
    item->setText(CScanWindow::COL_BAD, QString::fromStdString(PositionsText(f.bad)));
    return item;
}

}  // namespace

CScanWindow::CScanWindow(ScanWindowPorts ports, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ports(std::move(ports)) {
    setObjectName("scanWindow");
    setProperty("helpTopic", "scanwindow");
    setAttribute(Qt::WA_DeleteOnClose);
    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName("summary");
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextFormat(Qt::PlainText);
    m_pFilter = new QComboBox(this);
    m_pFilter->setObjectName("filter");
    m_pFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* show = new QLabel("&Show:", this);
    show->setBuddy(m_pFilter);
    m_pRows = new QTreeWidget(this);
    m_pRows->setObjectName("rows");
    m_pRows->setColumnCount(COL_COUNT);
    QStringList headers;
    for (const char* h : kHeaders) headers << h;
    m_pRows->setHeaderLabels(headers);
    m_pRows->setUniformRowHeights(true);
    m_pRows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A double click puts the image into the drive; it must not fold the image's files away.
    m_pRows->setExpandsOnDoubleClick(false);
    auto* hint = new QLabel(
        "Double-click an image or one of its files to put that image into the drive.", this);
    auto* extract = new QPushButton("&Extract all...", this);
    extract->setObjectName("extract");
    auto* close = new QPushButton("C&lose", this);
    close->setObjectName("close");

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(show);
    filterRow->addWidget(m_pFilter);
    filterRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(hint, 1);
    buttons->addWidget(extract);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSummary);
    layout->addLayout(filterRow);
    layout->addWidget(m_pRows, 1);
    layout->addLayout(buttons);

    connect(m_pFilter, &QComboBox::currentIndexChanged, this, &CScanWindow::ApplyFilter);
    connect(m_pRows, &QTreeWidget::itemActivated, this, &CScanWindow::OnActivated);
    connect(extract, &QPushButton::clicked, this, &CScanWindow::OnExtract);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(900, 520);
}

void CScanWindow::showEvent(QShowEvent* event) {
    // The first time, over the middle of the main window (within its screen): a window manager
    // would put a new window wherever it has room, often far from the window it belongs to.
    if (!m_bPlaced) {
        m_bPlaced = true;
        if (const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
            QRect place(QPoint(), size());
            place.moveCenter(main->frameGeometry().center());
            if (const QScreen* screen = main->screen()) {
                const QRect free = screen->availableGeometry();
                place.moveRight(std::min(place.right(), free.right()));
                place.moveBottom(std::min(place.bottom(), free.bottom()));
                place.moveLeft(std::max(place.left(), free.left()));
                place.moveTop(std::max(place.top(), free.top()));
            }
            move(place.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void CScanWindow::ShowScan(const std::string& folder, ScanOutcome scan) {
    m_strFolder = folder;
    m_scan = std::move(scan);
    setWindowTitle(QString::fromStdString("Scan of " + folder + " - Orvalis"));
    m_pSummary->setText(QString::fromStdString(folder + "\n" + ScanTotalsText(m_scan)));
    FillRows();
    FillFilter();
    ApplyFilter();
}

QString CScanWindow::Shown(const std::string& path) const {
    // Paths below the scanned folder are shown from there; the tooltip has them whole.
    std::error_code ec;
    const std::filesystem::path relative = std::filesystem::relative(path, m_strFolder, ec);
    return QString::fromStdString(ec || relative.empty() ? path : relative.string());
}

void CScanWindow::FillRows() {
    m_pRows->clear();
    for (const ScannedImage& image : m_scan.images) {
        QTreeWidgetItem* row = NewRow(Shown(image.path), "image:", ImageStateText(image.state));
        row->setData(COL_NAME, kPathRole, QString::fromStdString(image.path));
        row->setToolTip(COL_NAME, QString::fromStdString(image.path));
        if (!image.error.empty()) row->setToolTip(COL_STATUS, QString::fromStdString(image.error));
        if (image.hasIds) {
            row->setText(COL_LABEL, QString::fromStdString(LabelText(image)));
            row->setText(COL_DATE, QString::fromStdString(DateText(image.stamp)));
        }
        for (const ScannedFile& f : image.files) row->addChild(FileRow(f, image.path));
        m_pRows->addTopLevelItem(row);
    }
    for (const SpreadGroup& group : m_scan.spread) {
        // Ambiguous: two files of one name, size and date, never joined.
        const char* status = group.complete    ? "complete"
                             : group.ambiguous ? "ambiguous"
                                               : "incomplete";
        QTreeWidgetItem* row = NewRow(QString::fromStdString(group.name), "spread:", status,
                                      QString("spread, %1").arg(status));
        row->setText(COL_SIZE, QString::number(group.size));
        for (std::size_t index : group.parts) {
            const SpreadPart& part = m_scan.parts[index];
            const std::string& path = m_scan.images[part.image].path;
            QTreeWidgetItem* child =
                NewRow(Shown(path), "part:", part.intact ? "intact" : "damaged");
            child->setData(COL_NAME, kPathRole, QString::fromStdString(path));
            child->setToolTip(COL_NAME, QString::fromStdString(path));
            child->setText(COL_PART, QString::number(part.part));
            row->addChild(child);
        }
        m_pRows->addTopLevelItem(row);
    }
    for (const SkippedFile& skipped : m_scan.notImages) {
        QTreeWidgetItem* row = NewRow(Shown(skipped.path), "image:", "not an image");
        row->setToolTip(COL_NAME, QString::fromStdString(skipped.path));
        row->setText(COL_SIZE, QString::number(qulonglong(skipped.size)));
        m_pRows->addTopLevelItem(row);
    }
    m_pRows->expandAll();
    for (int c = 0; c < COL_COUNT; ++c) m_pRows->resizeColumnToContents(c);
}

void CScanWindow::FillFilter() {
    // The statuses found, each with how many rows it shows; a filter that was chosen stays.
    const QString chosen = m_pFilter->currentData().toString();
    std::vector<QString> keys;
    std::map<QString, int> counts;
    auto note = [&](const QTreeWidgetItem* item) {
        const QString key = Key(item);
        if (counts[key]++ == 0) keys.push_back(key);
    };
    for (int i = 0; i < m_pRows->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_pRows->topLevelItem(i);
        note(row);
        for (int j = 0; j < row->childCount(); ++j) note(row->child(j));
    }
    const QSignalBlocker quiet(m_pFilter);
    m_pFilter->clear();
    m_pFilter->addItem("All", QString());
    for (const auto& [prefix, title] : kFilterGroups)
        for (const QString& key : keys)
            if (key.startsWith(prefix))
                m_pFilter->addItem(QString("%1%2 (%3)")
                                       .arg(title, key.mid(int(std::strlen(prefix))))
                                       .arg(counts[key]),
                                   key);
    m_pFilter->setCurrentIndex(std::max(0, m_pFilter->findData(chosen)));
}

void CScanWindow::ApplyFilter() {
    // A row shows when it has the status, or its image does (all of an image's files), or one
    // of its files does (the image above the files).
    const QString key = m_pFilter->currentData().toString();
    for (int i = 0; i < m_pRows->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_pRows->topLevelItem(i);
        const bool rowMatches = key.isEmpty() || Key(row) == key;
        bool anyChild = false;
        for (int j = 0; j < row->childCount(); ++j) {
            QTreeWidgetItem* child = row->child(j);
            const bool shown = rowMatches || Key(child) == key;
            child->setHidden(!shown);
            anyChild = anyChild || shown;
        }
        row->setHidden(!rowMatches && !anyChild);
    }
}

void CScanWindow::OnActivated(QTreeWidgetItem* item) {
    const QString path = item ? item->data(COL_NAME, kPathRole).toString() : QString();
    if (path.isEmpty() || !m_ports.putIntoDrive) return;
    if (!m_ports.putIntoDrive(path.toStdString())) return;
    // The diskette is now the main window's: the user goes on there.
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
        main->raise();
        main->activateWindow();
    }
}

void CScanWindow::OnExtract() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.title = "Extract all files to";
    // The progress and the result belong to this window: closing them must not bring the main
    // window in front of it.
    const CDialogOwnerScope owner(this);
    const std::vector<std::string> chosen = m_ports.chooser->Choose(request);
    if (chosen.empty()) return;
    ScanRequest scan;
    scan.folder = m_strFolder;
    scan.extractTo = chosen.front();
    scan.restoreAttributes = !m_ports.restoreAttributes || m_ports.restoreAttributes();
    // The images are read again: what is copied out is what they hold now, and the rows say
    // the same.
    ScanOutcome outcome = ScanBox(scan, *m_ports.progress);
    if (!outcome.Ok()) {
        Notify(*m_ports.user, outcome.error,
               outcome.status == RescueStatus::Interrupted ? Icon::Exclamation : Icon::Stop);
        return;
    }
    const std::string summary = ExtractionSummary(outcome, scan.extractTo);
    const bool whole = outcome.extractProblems.empty();
    ShowScan(m_strFolder, std::move(outcome));
    Notify(*m_ports.user, summary, whole ? Icon::Information : Icon::Exclamation);
}

}  // namespace orv

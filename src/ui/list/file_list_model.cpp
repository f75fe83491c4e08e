#include "ui/list/file_list_model.h"

namespace orv {

namespace {

constexpr const char* kHeaders[COL_COUNT] = {"Name", "Size", "Date and Time", "Attributes",
                                             "Num. in FAT"};

const std::string& ColumnText(const FileRecord& r, int column) {
    switch (column) {
        case COL_NAME:
            return r.displayName;
        case COL_SIZE:
            return r.sizeText;
        case COL_DATE:
            return r.dateText;
        case COL_ATTRIBUTES:
            return r.attributeText;
        default:
            return r.numberText;
    }
}

}  // namespace

RowIdentity IdentityOf(const FileRecord& r) {
    return {r.fileNumber, r.extension, r.partNumber, r.size};
}

CFileListModel::CFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CFileListModel::SetRecords(const std::vector<FileRecord>& records) {
    beginResetModel();
    m_records = records;
    endResetModel();
}

void CFileListModel::Clear() {
    beginResetModel();
    m_records.clear();
    endResetModel();
}

int CFileListModel::RowOf(const RowIdentity& identity) const {
    for (std::size_t i = 0; i < m_records.size(); ++i)
        if (IdentityOf(m_records[i]) == identity) return int(i);
    return -1;
}

int CFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_records.size());
}

int CFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : COL_COUNT;
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= COL_COUNT) return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(ColumnText(Record(index.row()), index.column()));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(index.column()) | Qt::AlignVCenter);
    return {};
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= COL_COUNT) return {};
    if (role == Qt::DisplayRole) return HeaderText(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(section) | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    // Rows go out to the desktop by drag and drop; they are never edited.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QString CFileListModel::HeaderText(int column) {
    return column >= 0 && column < COL_COUNT ? QString(kHeaders[column]) : QString();
}

Qt::Alignment CFileListModel::ColumnAlignment(int column) {
    return column == COL_NAME ? Qt::AlignLeft : Qt::AlignRight;
}

}  // namespace orv

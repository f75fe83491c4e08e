// The files of the open diskette as a table: one row per record of the document's file list,
// in the list's own order (its head is row 0), and the five columns the window shows.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "fs/file_record.h"

namespace orv {

enum ListColumn : int { COL_NAME = 0, COL_SIZE, COL_DATE, COL_ATTRIBUTES, COL_NUMBER, COL_COUNT };

// What ties a row to its file: the number and the part as stored and the size, never the text
// shown (a name that is not UTF-8 is shown decoded).
struct RowIdentity {
    std::uint16_t number = 0;
    std::string extension;
    std::uint8_t part = 0;
    std::uint32_t size = 0;
    bool operator==(const RowIdentity&) const = default;
};

RowIdentity IdentityOf(const FileRecord& record);

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CFileListModel(QObject* parent = nullptr);

    // The rows afresh; a view keeps nothing of the rows before (selection included).
    void SetRecords(const std::vector<FileRecord>& records);
    void Clear();
    const FileRecord& Record(int row) const { return m_records[std::size_t(row)]; }
    // The row of the file, -1 when none shows it.
    int RowOf(const RowIdentity& identity) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    static QString HeaderText(int column);
    static Qt::Alignment ColumnAlignment(int column);

private:
    std::vector<FileRecord> m_records;
};

}  // namespace orv

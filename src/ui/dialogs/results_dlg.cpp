#include "ui/dialogs/results_dlg.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "ui/dialogs/dialog_template.h"
#include "ui/resources/pictures.h"

namespace orv {

CResultsDlg::CResultsDlg(const ResultsTexts& texts, QWidget* parent)
    : QDialog(parent), m_texts(texts) {
    setWindowTitle(QString::fromStdString(texts.title));
    setProperty("helpTopic", "results");
    // Files a full test left with units that do not hold their data are listed under the
    // balance, with the bytes each lost: the balance itself counts only the table's bad units.
    const int listHeight = texts.damagedFiles.empty() ? 0 : 60;
    const CDialogTemplate t(this, 202, 146 + listHeight);
    auto figure = [&](const std::string& text, int y, const char* name) {
        t.Static(QString::fromStdString(text), 7, y, 64, 8, Qt::AlignRight)->setObjectName(name);
    };
    figure(texts.total, 7, "total");
    t.Static("Bytes", 78, 7, 110, 8);
    figure(texts.systemBytes, 18, "systemBytes");
    t.Static("Bytes used by system", 78, 18, 118, 8);
    figure(texts.badBytes, 29, "badBytes");
    t.Static("Bytes in bad sectors", 78, 29, 112, 8);
    figure(texts.freeBytes, 40, "freeBytes");
    t.Static("Bytes free", 78, 40, 99, 8);
    t.Static("507    Bytes in allocation unit", 58, 59, 132, 8);
    t.Static("2 816    Alocation units", 51, 71, 139, 8);
    t.Static("Diskette label", 7, 86, 96, 8);
    t.Static(QString::fromStdString(texts.label), 108, 86, 88, 8)->setObjectName("label");
    t.Static(QString::fromStdString(texts.extraLine), 7, 103, 186, 8, Qt::AlignHCenter);
    if (listHeight > 0) {
        auto* list = new QListWidget(this);
        list->setObjectName("damagedFiles");
        // A long line wraps rather than hiding the positions behind a scroll bar.
        list->setWordWrap(true);
        list->setResizeMode(QListView::Adjust);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (const std::string& line : texts.damagedFiles) {
            auto* item = new QListWidgetItem(QString::fromStdString(line), list);
            item->setToolTip(item->text());
        }
        t.Units().Place(list, 7, 114, 188, listHeight - 4);
    }
    t.Icon(IDI_LOGO, 7, 116 + listHeight);
    t.Icon(IDR_MAINFRAME, 175, 116 + listHeight);

    QPushButton* close = t.Button("C&lose", 75, 122 + listHeight, 50, 14);
    close->setObjectName("close");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &CResultsDlg::accept);
}

}  // namespace orv

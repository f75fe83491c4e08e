#include "ui/dialogs/list_choice.h"

#include <QInputDialog>

#include "ui/platform/busy_cursor.h"

namespace orv {

int ChooseFromList(QWidget* parent, const QString& title, const QString& label,
                   const QStringList& items) {
    if (items.isEmpty()) return -1;
    CArrowWhileAsking arrow;
    QInputDialog dlg(parent);
    dlg.setObjectName("listChoice");
    dlg.setWindowTitle(title);
    dlg.setLabelText(label);
    dlg.setComboBoxItems(items);
    dlg.setComboBoxEditable(false);
    // A list shows every choice at once; a drop-down would hide all but one.
    dlg.setOption(QInputDialog::UseListViewForComboBoxItems);
    dlg.setTextValue(items.front());
    if (dlg.exec() != QDialog::Accepted) return -1;
    return int(items.indexOf(dlg.textValue()));
}

}  // namespace orv

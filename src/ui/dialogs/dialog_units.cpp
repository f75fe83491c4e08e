#include "ui/dialogs/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

namespace orv {

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_nBaseX = (width / 26 + 1) / 2;
    m_nBaseY = fm.height();
}

void CDialogUnits::Place(QWidget* widget, int x, int y, int width, int height) const {
    widget->setGeometry(Rect(x, y, width, height));
}

}  // namespace orv

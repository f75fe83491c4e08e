#include "ui/dialogs/dialog_units.h"

#include <QFontMetrics>

namespace orv {

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_nBaseX = (width / 26 + 1) / 2;
    m_nBaseY = fm.height();
}

}  // namespace orv

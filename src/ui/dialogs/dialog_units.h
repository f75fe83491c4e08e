// Dialog templates measure in dialog units: a quarter of the font's average character width
// across and an eighth of its height down. This turns them into pixels for a given font.
#pragma once

#include <QFont>
#include <QRect>

namespace orv {

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    int X(int units) const { return (units * m_nBaseX + 2) / 4; }
    int Y(int units) const { return (units * m_nBaseY + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }
    QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

private:
    int m_nBaseX;
    int m_nBaseY;
};

}  // namespace orv

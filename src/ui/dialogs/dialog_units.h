// Dialog templates measure in dialog units: a quarter of the font's average character width
// across and an eighth of its height down. This turns them into pixels for a given font, so
// that a dialog keeps its proportions at every font size and screen density.
#pragma once

#include <QFont>
#include <QRect>

class QWidget;

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
    // An icon static at (x, y): the 32 x 32 icons of the templates' font, grown with the font.
    QRect IconRect(int x, int y) const { return QRect(X(x), Y(y), IconSide(), IconSide()); }
    int IconSide() const { return Y(20); }

    // Puts a child of a dialog at its place in the template.
    void Place(QWidget* widget, int x, int y, int width, int height) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

}  // namespace orv

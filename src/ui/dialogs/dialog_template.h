// Lays a dialog out as its template describes it: every control at its place in dialog units
// of the dialog's font.
#pragma once

#include <QString>

#include "ui/dialogs/dialog_units.h"

class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orv {

class CDialogTemplate {
public:
    // Gives the dialog its fixed size.
    CDialogTemplate(QDialog* dialog, int width, int height);

    const CDialogUnits& Units() const { return m_du; }

    QLabel* Static(const QString& text, int x, int y, int width, int height,
                   Qt::Alignment alignment = Qt::AlignLeft) const;
    // An icon static showing one of the program's pictures.
    QLabel* Icon(int pictureId, int x, int y) const;
    QPushButton* Button(const QString& text, int x, int y, int width, int height) const;
    QLineEdit* Edit(int x, int y, int width, int height) const;
    QProgressBar* Progress(int x, int y, int width, int height) const;
    QGroupBox* Group(const QString& title, int x, int y, int width, int height) const;
    QRadioButton* Radio(const QString& text, int x, int y, int width, int height) const;
    QCheckBox* Check(const QString& text, int x, int y, int width, int height) const;

private:
    QDialog* m_pDialog;
    CDialogUnits m_du;
};

}  // namespace orv

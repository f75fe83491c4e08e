#include "ui/dialogs/dialog_template.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "ui/resources/pictures.h"

namespace orv {

CDialogTemplate::CDialogTemplate(QDialog* dialog, int width, int height)
    : m_pDialog(dialog), m_du(dialog->font()) {
    dialog->setFixedSize(m_du.Size(width, height));
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QLabel* CDialogTemplate::Static(const QString& text, int x, int y, int width, int height,
                                Qt::Alignment alignment) const {
    auto* label = new QLabel(text, m_pDialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    m_du.Place(label, x, y, width, height);
    return label;
}

QLabel* CDialogTemplate::Icon(int pictureId, int x, int y) const {
    auto* label = new QLabel(m_pDialog);
    const QRect rect = m_du.IconRect(x, y);
    label->setPixmap(LoadPicture(pictureId, rect.size()));
    label->setGeometry(rect);
    return label;
}

QPushButton* CDialogTemplate::Button(const QString& text, int x, int y, int width,
                                     int height) const {
    auto* button = new QPushButton(text, m_pDialog);
    button->setAutoDefault(false);  // Enter goes to the default button alone
    m_du.Place(button, x, y, width, height);
    return button;
}

QLineEdit* CDialogTemplate::Edit(int x, int y, int width, int height) const {
    auto* edit = new QLineEdit(m_pDialog);
    m_du.Place(edit, x, y, width, height);
    return edit;
}

QProgressBar* CDialogTemplate::Progress(int x, int y, int width, int height) const {
    auto* bar = new QProgressBar(m_pDialog);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    m_du.Place(bar, x, y, width, height);
    return bar;
}

QGroupBox* CDialogTemplate::Group(const QString& title, int x, int y, int width, int height) const {
    // Only the frame and its title: the controls inside are the dialog's own, as in the
    // template, so that all of them share the dialog's coordinates.
    auto* group = new QGroupBox(title, m_pDialog);
    m_du.Place(group, x, y, width, height);
    return group;
}

QRadioButton* CDialogTemplate::Radio(const QString& text, int x, int y, int width,
                                     int height) const {
    auto* radio = new QRadioButton(text, m_pDialog);
    m_du.Place(radio, x, y, width, height);
    return radio;
}

QCheckBox* CDialogTemplate::Check(const QString& text, int x, int y, int width, int height) const {
    auto* check = new QCheckBox(text, m_pDialog);
    m_du.Place(check, x, y, width, height);
    return check;
}

}  // namespace orv

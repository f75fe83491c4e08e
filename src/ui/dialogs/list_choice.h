// One item chosen from a short list, where a file dialog does not fit: which report of a file
// that holds several, which file of the images to rescue.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace orv {

// The index of the chosen item; -1 when the user cancelled.
int ChooseFromList(QWidget* parent, const QString& title, const QString& label,
                   const QStringList& items);

}  // namespace orv

// The byte balance that closes a format or a completed disk test.
#pragma once

#include <QDialog>

#include "maintenance/balance/results_texts.h"

namespace orv {

class CResultsDlg : public QDialog {
    Q_OBJECT
public:
    CResultsDlg(const ResultsTexts& texts, QWidget* parent = nullptr);

    const ResultsTexts& Texts() const { return m_texts; }

private:
    ResultsTexts m_texts;
};

}  // namespace orv

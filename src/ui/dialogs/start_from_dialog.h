// Asks for a file of the hard disk and a byte position: where Add from... starts reading and
// where Copy at... starts writing.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "ports/user_port.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace orv {

class IFileChooser;

class StartFromDialog : public QDialog {
    Q_OBJECT
public:
    // openMode: the browse button offers an Open dialog (true) or a Save As dialog (false).
    StartFromDialog(IUserPort& user, IFileChooser& chooser, bool openMode,
                    const std::string& prompt, QWidget* parent = nullptr);

    std::int32_t Position() const { return m_nPosition; }
    std::string FileName() const { return m_strFileName; }
    void SetPosition(std::int32_t position);
    void SetFileName(const std::string& name);

    // OK: closes only when the position parses and fits the file.
    void accept() override;

private:
    void OnBrowse();

    IUserPort& m_user;
    IFileChooser& m_chooser;
    bool m_bOpenMode;
    std::int32_t m_nPosition = 0;
    std::string m_strFileName;
    QLineEdit* m_pPosition = nullptr;  // 1020
    QLineEdit* m_pFileName = nullptr;  // 1021
    QPushButton* m_pBrowse = nullptr;  // 1022
};

}  // namespace orv

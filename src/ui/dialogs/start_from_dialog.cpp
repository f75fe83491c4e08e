#include "ui/dialogs/start_from_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "transfer/start_position.h"
#include "ui/dialogs/file_chooser.h"
#include "ui/resources/pictures.h"

namespace orv {

StartFromDialog::StartFromDialog(IUserPort& user, IFileChooser& chooser, bool openMode,
                                 const std::string& prompt, QWidget* parent)
    : QDialog(parent), m_user(user), m_chooser(chooser), m_bOpenMode(openMode) {
    setWindowTitle("Enter position where to add from");
    setProperty("helpTopic", "startfrom");
    auto* picture = new QLabel(this);
    picture->setPixmap(LoadPicture(IDI_POSITION));
    auto* promptLine = new QLabel(QString::fromStdString(prompt), this);  // 1006
    auto* explanation =
        new QLabel("Position in Bytes as displayed in message after copying.", this);  // 1030
    explanation->setWordWrap(true);
    auto* positionLabel = new QLabel("Position:", this);  // 1031
    auto* fileLabel = new QLabel("File", this);           // 1032
    m_pPosition = new QLineEdit(this);
    m_pPosition->setObjectName("position");
    m_pPosition->setAlignment(Qt::AlignRight);
    positionLabel->setBuddy(m_pPosition);
    m_pFileName = new QLineEdit(this);
    m_pFileName->setObjectName("fileName");
    m_pFileName->setMinimumWidth(260);
    fileLabel->setBuddy(m_pFileName);
    m_pBrowse = new QPushButton("...", this);
    m_pBrowse->setObjectName("browse");
    m_pBrowse->setAutoDefault(false);
    m_pBrowse->setMaximumWidth(32);
    connect(m_pBrowse, &QPushButton::clicked, this, &StartFromDialog::OnBrowse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText("&Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &StartFromDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StartFromDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(promptLine, 0, 1, 1, 3);
    grid->addWidget(explanation, 1, 1, 1, 3);
    grid->addWidget(positionLabel, 2, 0);
    grid->addWidget(m_pPosition, 2, 1);
    grid->addWidget(fileLabel, 3, 0);
    grid->addWidget(m_pFileName, 3, 1, 1, 2);
    grid->addWidget(m_pBrowse, 3, 3);
    grid->addWidget(buttons, 4, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    if (prompt.empty()) promptLine->hide();

    SetPosition(0);
    SetFileName({});
}

void StartFromDialog::SetPosition(std::int32_t position) {
    m_nPosition = position;
    m_pPosition->setText(QString::number(position));
}

void StartFromDialog::SetFileName(const std::string& name) {
    m_strFileName = name;
    m_pFileName->setText(QString::fromStdString(name));
}

void StartFromDialog::OnBrowse() {
    FileDialogRequest request;
    request.kind = m_bOpenMode ? FileDialogRequest::Kind::OpenOne : FileDialogRequest::Kind::Save;
    request.title = "Start from...";
    request.filter = "All Files (*.*)|*.*||";
    request.initialName = m_pFileName->text().toStdString();
    const std::vector<std::string> chosen = m_chooser.Choose(request);
    if (chosen.empty()) return;
    m_pFileName->setText(QString::fromStdString(chosen.front()));
}

void StartFromDialog::accept() {
    std::string error;
    const std::optional<std::int32_t> position =
        ParsePosition(m_pPosition->text().toStdString(), error);
    if (!position) {
        Notify(m_user, error);
        m_pPosition->setFocus();
        m_pPosition->selectAll();
        return;
    }
    m_nPosition = *position;
    m_strFileName = m_pFileName->text().toStdString();
    if (m_strFileName.empty()) {
        Notify(m_user, "Enter file name.");
        m_pBrowse->setFocus();
        return;
    }
    const std::string problem = CheckStartPosition(
        m_strFileName, m_nPosition, m_bOpenMode ? StartUse::AddFrom : StartUse::CopyAt);
    if (!problem.empty()) {
        Notify(m_user, problem);
        return;
    }
    QDialog::accept();
}

}  // namespace orv

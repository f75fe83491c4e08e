#include "ui/platform/qt_user_port.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "ui/dialogs/file_chooser.h"
#include "ui/frame/frame_texts.h"
#include "ui/platform/busy_cursor.h"
#include "ui/platform/dialog_owner.h"
#include "ui/platform/drive_control.h"

namespace orv {

namespace {

QMessageBox::StandardButtons StandardButtonsOf(Buttons b) {
    switch (b) {
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::StandardButton StandardButtonOf(Answer a) {
    switch (a) {
        case Answer::Ok:
            return QMessageBox::Ok;
        case Answer::Cancel:
            return QMessageBox::Cancel;
        case Answer::Yes:
            return QMessageBox::Yes;
        case Answer::No:
            return QMessageBox::No;
        default:
            return QMessageBox::NoButton;
    }
}

Answer AnswerOf(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::None;
    }
}

QMessageBox::Icon IconOf(Icon i) {
    switch (i) {
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Stop:
            return QMessageBox::Critical;
        default:
            return QMessageBox::NoIcon;
    }
}

// Sets up a box as the message describes it; the caller may add buttons before running it.
void PrepareBox(QMessageBox& box, const Message& m) {
    box.setWindowTitle(kAppTitle);
    box.setProperty("helpTopic", "messages");
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(m.text));
    box.setIcon(IconOf(m.icon));
    box.setStandardButtons(StandardButtonsOf(m.buttons));
    if (QAbstractButton* def = box.button(StandardButtonOf(DefaultAnswer(m))))
        box.setDefaultButton(qobject_cast<QPushButton*>(def));
}

Answer RunBox(const Message& m) {
    CArrowWhileAsking arrow;
    QMessageBox box(DialogOwner());
    PrepareBox(box, m);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    const Answer a = AnswerOf(clicked);
    // Closing a box without a Cancel or No button counts as its first button.
    return a == Answer::None ? FirstButton(m.buttons) : a;
}

}  // namespace

CQtUserPort::CQtUserPort(CDriveControl& drive, IFileChooser& chooser)
    : m_drive(drive), m_chooser(chooser), m_pGuiContext(std::make_unique<QObject>()) {}

CQtUserPort::~CQtUserPort() = default;

Answer CQtUserPort::OnGuiThread(const std::function<Answer()>& box) {
    if (QThread::currentThread() == m_pGuiContext->thread()) return box();
    Answer answer = Answer::None;
    QMetaObject::invokeMethod(
        m_pGuiContext.get(), [&] { answer = box(); }, Qt::BlockingQueuedConnection);
    return answer;
}

Answer CQtUserPort::ShowMessage(const Message& message) {
    return OnGuiThread([&] { return RunBox(message); });
}

Answer CQtUserPort::AskInsertDiskette(const Message& message) {
    return OnGuiThread([&] { return AskInsertOnGui(message); });
}

Answer CQtUserPort::AskInsertOnGui(const Message& message) {
    for (;;) {
        QAbstractButton* insert = nullptr;
        Answer answer = Answer::None;
        {
            CArrowWhileAsking arrow;
            QMessageBox box(DialogOwner());
            PrepareBox(box, message);
            insert = box.addButton(kInsertImageButton, QMessageBox::ActionRole);
            box.exec();
            if (box.clickedButton() != insert) {
                answer = AnswerOf(box.standardButton(box.clickedButton()));
                return answer == Answer::None ? Answer::Cancel : answer;
            }
        }
        if (InsertImageFromChooser(m_drive, m_chooser, *this)) return Answer::Ok;
    }
}

bool InsertImageFromChooser(CDriveControl& drive, IFileChooser& chooser, IUserPort& user) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::OpenOne;
    request.title = "Insert diskette image";
    request.filter = kImageFilter;
    const std::vector<std::string> chosen = chooser.Choose(request);
    return !chosen.empty() && drive.Insert(chosen.front(), user);
}

}  // namespace orv

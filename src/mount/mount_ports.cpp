#include "mount/mount_ports.h"

namespace orv::mount {

namespace {

// The button that lets an operation go no further: No where there is one, else Cancel. A box
// with OK alone is a message; OK is its only answer.
Answer Refusal(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::YesNoCancel:
            return Answer::Cancel;
    }
    return Answer::Cancel;
}

}  // namespace

Answer CMountUserPort::ShowMessage(const Message& message) {
    const Answer answer = Refusal(message.buttons);
    m_log.Say(message.buttons == Buttons::Ok ? message.text
                                             : message.text + " (not asked: answered no)");
    return answer;
}

Answer CMountUserPort::AskInsertDiskette(const Message& message) {
    m_log.Say(message.text + " (not asked: cancelled)");
    return Answer::Cancel;
}

int CInlineProgress::RunProgress(const ProgressSpec&,
                                 const std::function<void(IProgressSink&)>& worker) {
    worker(*this);
    return PROGRESS_OK;
}

}  // namespace orv::mount

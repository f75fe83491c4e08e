// How the core talks to the user: modal message boxes and insert-diskette prompts. Front ends
// implement it (Qt message boxes, the console, scripted fakes in tests). Every call may come
// from a worker thread and blocks until the user has answered.
#pragma once

#include <string>

namespace orv {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Exclamation, Question, Information, Stop };
enum class Answer { None, Ok, Cancel, Yes, No };

struct Message {
    std::string text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::Exclamation;
    Answer defaultButton = Answer::None;  // None: the first button
};

class IUserPort {
public:
    virtual ~IUserPort() = default;
    virtual Answer ShowMessage(const Message& message) = 0;
    // An OK/Cancel prompt that asks for a diskette to be put into the drive. A front end may
    // change the medium in the drive before it answers OK.
    virtual Answer AskInsertDiskette(const Message& message) = 0;
};

// The first button of a box; what an unanswered box falls back to.
inline Answer FirstButton(Buttons b) {
    return b == Buttons::Ok || b == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}
inline Answer DefaultAnswer(const Message& m) {
    return m.defaultButton == Answer::None ? FirstButton(m.buttons) : m.defaultButton;
}

// Short forms used throughout the core.
inline Answer Notify(IUserPort& user, std::string text, Icon icon = Icon::Exclamation) {
    return user.ShowMessage(Message{std::move(text), Buttons::Ok, icon, Answer::None});
}
inline Answer Ask(IUserPort& user, std::string text, Buttons buttons, Icon icon = Icon::Question,
                  Answer defaultButton = Answer::None) {
    return user.ShowMessage(Message{std::move(text), buttons, icon, defaultButton});
}

}  // namespace orv

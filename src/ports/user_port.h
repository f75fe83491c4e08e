// How the core talks to the user: modal message boxes and insert-diskette prompts. Front ends
// implement it (Qt message boxes, the console, scripted fakes in tests). Every call may come
// from a worker thread and blocks until the user has answered.
#pragma once

#include <functional>
#include <string>
#include <utility>

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

// Passes every box on, and calls `before` first: while a question is open the user may change
// the diskette, so whatever the drive read ahead must be forgotten by then.
class GuardedUserPort final : public IUserPort {
public:
    GuardedUserPort(IUserPort& inner, std::function<void()> before)
        : m_inner(inner), m_before(std::move(before)) {}
    Answer ShowMessage(const Message& message) override {
        m_before();
        return m_inner.ShowMessage(message);
    }
    Answer AskInsertDiskette(const Message& message) override {
        m_before();
        return m_inner.AskInsertDiskette(message);
    }

private:
    IUserPort& m_inner;
    std::function<void()> m_before;
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

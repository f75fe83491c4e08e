// A user who answers message boxes from a script and remembers every box shown. Safe to use
// from a worker thread.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ports/user_port.h"

namespace orv::tests {

class ScriptedUser final : public IUserPort {
public:
    ScriptedUser() = default;
    ScriptedUser(std::initializer_list<Answer> answers) : m_answers(answers) {}

    // Answers in the order the questions come; a box with no answer left takes its default
    // button and counts as unscripted.
    void Push(Answer answer) {
        std::lock_guard lock(m_mutex);
        m_answers.push_back(answer);
    }

    Answer ShowMessage(const Message& message) override {
        std::lock_guard lock(m_mutex);
        m_shown.push_back(message);
        if (m_answers.empty()) {
            ++m_unscripted;
            return DefaultAnswer(message);
        }
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    Answer AskInsertDiskette(const Message& message) override {
        std::lock_guard lock(m_mutex);
        m_shown.push_back(message);
        return Answer::Cancel;
    }

    std::vector<Message> Shown() const {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Message& m : Shown()) texts.push_back(m.text);
        return texts;
    }
    std::optional<Message> Find(const std::string& text) const {
        for (const Message& m : Shown())
            if (m.text == text) return m;
        return std::nullopt;
    }
    bool Saw(const std::string& text) const { return Find(text).has_value(); }
    int Unscripted() const {
        std::lock_guard lock(m_mutex);
        return m_unscripted;
    }
    std::size_t AnswersLeft() const {
        std::lock_guard lock(m_mutex);
        return m_answers.size();
    }

private:
    mutable std::mutex m_mutex;
    std::deque<Answer> m_answers;
    std::vector<Message> m_shown;
    int m_unscripted = 0;
};

}  // namespace orv::tests

// Message boxes and insert-diskette prompts on the console: every box is written to stderr as
// "Orvalis: " and its text, then its buttons and the answer taken. Answers come from --answer,
// then --yes, then the terminal when stdin is one, else the box's default button.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "disk/drive.h"
#include "ports/user_port.h"

namespace orv::cli {

class ConsoleUserPort final : public IUserPort {
public:
    ConsoleUserPort(CDrive& drive, std::deque<Answer> answers, bool yesToRest,
                    std::deque<std::string> images, bool interactive);

    Answer ShowMessage(const Message& message) override;
    Answer AskInsertDiskette(const Message& message) override;

    // The questions of the command that starts now are not repeats of those before it.
    void NewCommand();

    // Answers and images that no box used (a script may want to know).
    std::size_t UnusedAnswers() const { return m_answers.size(); }
    std::size_t UnusedImages() const { return m_images.size(); }

private:
    // None when the terminal's input has ended; every later box then goes without it.
    std::optional<Answer> AskTerminal(const Message& message);
    void Print(const Message& message, Answer answer, const std::string& note);
    // Without a terminal nothing outside the program changes between two questions, so a
    // retry question answered Yes by default or by --yes would come back for ever. After
    // kTimesUnchanged unscripted answers to the same text, with no diskette inserted since, it
    // gets its stopping button (No or Cancel) instead; note says so.
    Answer EndRepeat(const Message& message, Answer answer, std::string& note);

    std::mutex m_mutex;  // boxes may come from a worker thread
    CDrive& m_drive;
    std::deque<Answer> m_answers;
    bool m_bYesToRest;
    std::deque<std::string> m_images;
    bool m_bInteractive;
    std::map<std::string, int> m_timesAsked;  // unscripted answers per question text
};

// "yes", "no", "ok", "cancel" (any case); Answer::None for anything else.
Answer ParseAnswerWord(const std::string& word);
std::string AnswerName(Answer answer);
std::string ButtonsName(Buttons buttons);

}  // namespace orv::cli

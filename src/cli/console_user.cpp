#include "cli/console_user.h"

#include <algorithm>
#include <iostream>

namespace orv::cli {

namespace {

// Enough for a retry on a real drive, whose next attempt may succeed; few enough to end soon.
constexpr int kTimesUnchanged = 3;

bool Offers(Buttons buttons, Answer a) {
    switch (buttons) {
        case Buttons::Ok:
            return a == Answer::Ok;
        case Buttons::OkCancel:
            return a == Answer::Ok || a == Answer::Cancel;
        case Buttons::YesNo:
            return a == Answer::Yes || a == Answer::No;
        case Buttons::YesNoCancel:
            return a == Answer::Yes || a == Answer::No || a == Answer::Cancel;
    }
    return false;
}

// A scripted word that names no button of the box takes its nearest sense: ok and yes say go
// on, no and cancel say stop.
Answer Fit(Buttons buttons, Answer a) {
    if (Offers(buttons, a)) return a;
    const bool positive = a == Answer::Ok || a == Answer::Yes;
    static constexpr Answer kGoOn[] = {Answer::Yes, Answer::Ok};
    static constexpr Answer kStop[] = {Answer::No, Answer::Cancel};
    for (Answer candidate : positive ? kGoOn : kStop)
        if (Offers(buttons, candidate)) return candidate;
    return FirstButton(buttons);
}

}  // namespace

Answer ParseAnswerWord(const std::string& word) {
    std::string w = word;
    std::transform(w.begin(), w.end(), w.begin(), [](unsigned char c) { return std::tolower(c); });
    if (w == "yes") return Answer::Yes;
    if (w == "no") return Answer::No;
    if (w == "ok") return Answer::Ok;
    if (w == "cancel") return Answer::Cancel;
    return Answer::None;
}

std::string AnswerName(Answer answer) {
    switch (answer) {
        case Answer::Ok:
            return "OK";
        case Answer::Cancel:
            return "Cancel";
        case Answer::Yes:
            return "Yes";
        case Answer::No:
            return "No";
        case Answer::None:
            break;
    }
    return "-";
}

std::string ButtonsName(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return "OK";
        case Buttons::OkCancel:
            return "OK/Cancel";
        case Buttons::YesNo:
            return "Yes/No";
        case Buttons::YesNoCancel:
            return "Yes/No/Cancel";
    }
    return "";
}

ConsoleUserPort::ConsoleUserPort(CDrive& drive, std::deque<Answer> answers, bool yesToRest,
                                 std::deque<std::string> images, bool interactive)
    : m_drive(drive),
      m_answers(std::move(answers)),
      m_bYesToRest(yesToRest),
      m_images(std::move(images)),
      m_bInteractive(interactive) {}

void ConsoleUserPort::Print(const Message& message, Answer answer, const std::string& note) {
    std::string text = message.text;
    // Continuation lines line up under the first.
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        if (at + 1 < text.size() && text[at + 1] != '\n') text.insert(at + 1, "         ");
    std::cerr << "Orvalis: " << text << "\n  [" << ButtonsName(message.buttons) << "] -> "
              << AnswerName(answer) << note << std::endl;
}

std::optional<Answer> ConsoleUserPort::AskTerminal(const Message& message) {
    std::string text = message.text;
    std::cerr << "Orvalis: " << text << "\n  [" << ButtonsName(message.buttons) << "]? "
              << std::flush;
    for (std::string line; std::getline(std::cin, line);) {
        if (line.empty()) return DefaultAnswer(message);
        const char c = char(std::tolower(static_cast<unsigned char>(line[0])));
        const Answer a = c == 'y'   ? Answer::Yes
                         : c == 'n' ? Answer::No
                         : c == 'o' ? Answer::Ok
                         : c == 'c' ? Answer::Cancel
                                    : Answer::None;
        if (a != Answer::None && Offers(message.buttons, a)) return a;
        std::cerr << "  answer one of " << ButtonsName(message.buttons) << ": " << std::flush;
    }
    // The input has ended: no one is left to answer, now or later.
    std::cerr << std::endl;
    m_bInteractive = false;
    return std::nullopt;
}

void ConsoleUserPort::NewCommand() {
    std::lock_guard lock(m_mutex);
    m_timesAsked.clear();
}

Answer ConsoleUserPort::EndRepeat(const Message& message, Answer answer, std::string& note) {
    if (message.buttons == Buttons::Ok || ++m_timesAsked[message.text] <= kTimesUnchanged)
        return answer;
    const Answer stop = Fit(message.buttons, Answer::No);
    if (stop != answer)
        note = " (asked " + std::to_string(kTimesUnchanged) + " times already, nothing changed)";
    return stop;
}

Answer ConsoleUserPort::ShowMessage(const Message& message) {
    std::lock_guard lock(m_mutex);
    if (!m_answers.empty()) {
        const Answer a = Fit(message.buttons, m_answers.front());
        m_answers.pop_front();
        Print(message, a, "");
        return a;
    }
    if (m_bYesToRest) {
        std::string note = message.buttons == Buttons::Ok ? "" : " (--yes)";
        const Answer a = EndRepeat(message, Fit(message.buttons, Answer::Yes), note);
        Print(message, a, note);
        return a;
    }
    if (message.buttons != Buttons::Ok && m_bInteractive)
        if (const std::optional<Answer> a = AskTerminal(message)) return *a;
    std::string note = message.buttons == Buttons::Ok ? "" : " (default)";
    const Answer a = EndRepeat(message, DefaultAnswer(message), note);
    Print(message, a, note);
    return a;
}

Answer ConsoleUserPort::AskInsertDiskette(const Message& message) {
    std::lock_guard lock(m_mutex);
    while (!m_images.empty()) {
        const std::string path = m_images.front();
        m_images.pop_front();
        std::string error;
        if (m_drive.Insert(path, error)) {
            m_timesAsked.clear();
            Print(message, Answer::Ok, " (inserted " + path + ")");
            return Answer::Ok;
        }
        std::cerr << "orvalis-cli: " << error << std::endl;
    }
    if (m_bInteractive) {
        std::cerr << "Orvalis: " << message.text
                  << "\n  [OK/Cancel] image to insert (Enter: OK as it is, 'cancel'): "
                  << std::flush;
        for (std::string line; std::getline(std::cin, line);) {
            if (line.empty()) return Answer::Ok;
            if (ParseAnswerWord(line) == Answer::Cancel) return Answer::Cancel;
            std::string error;
            if (m_drive.Insert(line, error)) {
                m_timesAsked.clear();
                return Answer::Ok;
            }
            std::cerr << "orvalis-cli: " << error << "\n  image, Enter or 'cancel': " << std::flush;
        }
        std::cerr << std::endl;
        m_bInteractive = false;
        return Answer::Cancel;
    }
    Print(message, Answer::Cancel, " (no image left to insert)");
    return Answer::Cancel;
}

}  // namespace orv::cli

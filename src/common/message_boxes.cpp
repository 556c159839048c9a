#include "common/message_boxes.h"

#include <algorithm>
#include <iostream>

#include "core/error.h"

namespace mnemora {

namespace {

bool has(std::span<const Answer> buttons, Answer a) {
    return std::find(buttons.begin(), buttons.end(), a) != buttons.end();
}

// Where no window can show a box: its text on standard error, and a question
// gets the answer Escape would give.
class StreamBoxes : public MessageBoxes {
  public:
    void plain(const std::string& text) override { std::cerr << text << '\n'; }
    Answer question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                    int) override {
        std::cerr << questionBoxCaption(kind) << ": " << text << '\n';
        return escapeAnswer(buttons);
    }
    void error(const std::string& text) override { std::cerr << text << '\n'; }
    void fatal(const std::string& text) override {
        std::cerr << kFatalBoxCaption << ": " << text << '\n';
    }
};

MessageBoxes* g_replacement = nullptr;
MessageBoxes* g_frontEnd = nullptr;

}  // namespace

std::string_view questionBoxCaption(QuestionKind kind) {
    switch (kind) {
        case QuestionKind::Warning:
            return "Warning";
        case QuestionKind::Error:
            return "Error";
        case QuestionKind::Information:
            return "Information";
        case QuestionKind::Confirm:
            return "Confirm";
    }
    return "";
}

std::string_view answerButtonText(Answer answer) {
    switch (answer) {
        case Answer::Yes:
            return "&Yes";
        case Answer::No:
            return "&No";
        case Answer::Ok:
            return "OK";
        case Answer::Cancel:
            return "Cancel";
    }
    return "";
}

Answer defaultAnswer(std::span<const Answer> buttons) {
    return has(buttons, Answer::Ok) ? Answer::Ok : Answer::Yes;
}

Answer escapeAnswer(std::span<const Answer> buttons) {
    if (has(buttons, Answer::Cancel)) {
        return Answer::Cancel;
    }
    return has(buttons, Answer::No) ? Answer::No : Answer::Ok;
}

MessageBoxes& messageBoxes() {
    static StreamBoxes stream;
    if (g_replacement != nullptr) {
        return *g_replacement;
    }
    return g_frontEnd != nullptr ? *g_frontEnd : stream;
}

void setMessageBoxes(MessageBoxes* boxes) {
    g_replacement = boxes;
}

void setFrontEndMessageBoxes(MessageBoxes* boxes) {
    g_frontEnd = boxes;
}

std::string errorBoxText(const std::exception& failure) {
    return withFullStop(failure.what());
}

}  // namespace mnemora

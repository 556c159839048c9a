#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "common/help_hook.h"
#include "common/message_boxes.h"

namespace mnemora::test {

// Records every box instead of showing it; questions take scripted answers.
class RecordingBoxes : public MessageBoxes {
  public:
    RecordingBoxes() { setMessageBoxes(this); }
    ~RecordingBoxes() override { setMessageBoxes(nullptr); }
    RecordingBoxes(const RecordingBoxes&) = delete;
    RecordingBoxes& operator=(const RecordingBoxes&) = delete;

    std::vector<std::string> plains, errors, fatals, questions;
    std::deque<Answer> answers;

    void plain(const std::string& text) override { plains.push_back(text); }
    Answer question(QuestionKind, const std::string& text, const std::vector<Answer>&,
                    int) override {
        questions.push_back(text);
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void error(const std::string& text) override { errors.push_back(text); }
    void fatal(const std::string& text) override { fatals.push_back(text); }
};

// Takes every help request's context.
class RecordingHelp : public HelpPlatform {
  public:
    std::vector<std::int32_t> contexts;
    bool shiftDown() const override { return false; }
    void plainMessage(const std::string& text) override { messageBoxes().plain(text); }
    void htmlHelp(std::string_view, std::uint32_t, std::int32_t data) override {
        contexts.push_back(data);
    }
};

}  // namespace mnemora::test

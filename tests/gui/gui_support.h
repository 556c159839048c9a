#pragma once

#include <QApplication>
#include <deque>
#include <string>
#include <vector>

#include "common/help_hook.h"
#include "common/message_boxes_qt.h"

namespace mnemora::test {

// The one QApplication of the test program (made in its main), drawing offscreen.
QApplication& qtApp();

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
    Answer question(QuestionKind, const std::string& text, const std::vector<Answer>&, int) override {
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

class RecordingHelp : public HelpPlatform {
public:
    std::vector<std::int32_t> contexts;
    bool shiftDown() const override { return false; }
    void plainMessage(const std::string& text) override { messageBoxes().plain(text); }
    void htmlHelp(std::string_view, std::uint32_t, std::int32_t data) override { contexts.push_back(data); }
};

// A data file in the 8-bit code page with the given UTF-8 lines, CR LF.
std::string cp1251Lines(const std::vector<std::string>& lines);

}  // namespace mnemora::test

// Readable QStrings in test failures (found by argument-dependent lookup).
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

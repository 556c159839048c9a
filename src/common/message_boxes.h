#pragma once

#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mnemora {

enum class Answer { Yes, No, Cancel, Ok };
enum class QuestionKind { Warning, Error, Information, Confirm };

// The program's three kinds of message box (and the fatal one before the
// event loop). A front end draws them; tests put a scripted set in place.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Application title, the text, one OK button, no icon.
    virtual void plain(const std::string& text) = 0;
    // Caption by kind, its icon, English buttons; F1 asks for helpContext.
    virtual Answer question(QuestionKind kind, const std::string& text,
                            const std::vector<Answer>& buttons, int helpContext) = 0;
    // A failure that escaped a handler: stop icon, application title, OK.
    virtual void error(const std::string& text) = 0;
    // Start-up failed before the event loop: stop icon, kFatalBoxCaption.
    virtual void fatal(const std::string& text) = 0;
};

inline constexpr std::string_view kFatalBoxCaption = "Application Error";

// The question box's caption for its kind: "Warning", "Error", ...
std::string_view questionBoxCaption(QuestionKind kind);
// The English caption of an answer's button: "&Yes", "&No", "OK", "Cancel".
std::string_view answerButtonText(Answer answer);
// The button Enter presses: OK when there is one, else Yes.
Answer defaultAnswer(std::span<const Answer> buttons);
// What Escape and the close box answer: Cancel, else No, else OK.
Answer escapeAnswer(std::span<const Answer> buttons);

// The boxes every handler reports through: the ones a test or a front end
// put in place. Until a front end installs its own, boxes are written to the
// standard error stream, so that nothing is lost where no window can show.
MessageBoxes& messageBoxes();
// Replaces the boxes for the rest of the run (nullptr: the front end's again).
void setMessageBoxes(MessageBoxes* boxes);
// The front end's own boxes, used whenever no replacement is in place.
void setFrontEndMessageBoxes(MessageBoxes* boxes);

// The error box's text for a failure: its message with the full-stop rule.
std::string errorBoxText(const std::exception& failure);

// Every event handler runs through here so that no failure crosses the
// event loop: the handler stops where it failed and the program goes on.
template <class F>
void guarded(F&& handler) {
    try {
        handler();
    } catch (const std::exception& failure) {
        messageBoxes().error(errorBoxText(failure));
    }
}

}  // namespace mnemora

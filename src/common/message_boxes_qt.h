#pragma once

#include <exception>
#include <string>
#include <vector>

#include "core/error.h"
#include "sessions/session_engine.h"

class QFont;
class QMargins;
class QPoint;
class QRect;
class QSize;
class QString;
class QWidget;

namespace mnemora {

enum class QuestionKind { Warning, Error, Information, Confirm };

// The program's three kinds of message box. Tests put a scripted set in place.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Application title, the text, one OK button, no icon.
    virtual void plain(const std::string& text) = 0;
    // Caption by kind, its icon, English buttons; F1 asks for helpContext.
    virtual Answer question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                            int helpContext) = 0;
    // A failure that escaped a handler: stop icon, application title, OK.
    virtual void error(const std::string& text) = 0;
    // Start-up failed before the event loop: stop icon, "Application Error".
    virtual void fatal(const std::string& text) = 0;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void plain(const std::string& text) override;
    Answer question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                    int helpContext) override;
    void error(const std::string& text) override;
    void fatal(const std::string& text) override;
};

// The width a box needs for its whole caption in a title bar drawn with
// titleFont, frame buttons included.
int captionBoxWidth(const QString& caption, const QFont& titleFont);
// Where a window's client area goes so that the window, frame included, is
// centred on the screen.
QPoint centredClientPosition(const QSize& client, const QMargins& frame, const QRect& screen);

MessageBoxes& messageBoxes();
// Replaces the boxes for the rest of the run (nullptr: the real ones again).
void setMessageBoxes(MessageBoxes* boxes);

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

// The property every window and control keeps its help topic in.
inline constexpr const char* kHelpContextProperty = "HelpContext";
// Menu items built from the catalogue keep their entry index in this one.
inline constexpr const char* kMenuEntryProperty = "MenuEntry";
void setHelpContext(QWidget* widget, int context);
int helpContextOf(const QWidget* widget);

}  // namespace mnemora

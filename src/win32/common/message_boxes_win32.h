#pragma once

#include <vector>

#include "common/help_hook.h"
#include "common/message_boxes.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// The program's boxes, drawn by a dialog of our own rather than MessageBoxW,
// whose button captions Windows translates into the user's language: ours
// stay "&Yes", "&No", "OK" and "Cancel" on every Windows.
class Win32MessageBoxes : public MessageBoxes {
  public:
    // help gets F1 in a question box; it may be null.
    explicit Win32MessageBoxes(TMyHLPObject* help) : help_(help) {}

    void plain(const std::string& text) override;
    Answer question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                    int helpContext) override;
    void error(const std::string& text) override;
    void fatal(const std::string& text) override;

  private:
    TMyHLPObject* help_;
};

// Sizes a box is built from, in pixels of the screen.
struct BoxMetrics {
    int margin = 0;        // round the content and below the buttons
    int iconGap = 0;       // between the icon and the text
    int textToButtons = 0; // between the content and the row of buttons
    SIZE button{};
    int buttonGap = 0;
};

// Where everything of a box goes, in its client area.
struct BoxLayout {
    SIZE client{};
    RECT icon{};  // empty without an icon
    RECT text{};
    std::vector<RECT> buttons;
};

// The box round its measured text: the icon at the top left with the text
// beside it (the shorter of the two centred on the other), the buttons in a
// centred row below, and never narrower than minClientWidth (what the
// caption needs in the title bar).
BoxLayout layoutBox(SIZE text, SIZE icon, int buttonCount, int minClientWidth, const BoxMetrics& metrics);

// The id a box's button carries for its answer (IDOK, IDCANCEL, IDYES, IDNO).
int answerButtonId(Answer answer);

}  // namespace mnemora::win32

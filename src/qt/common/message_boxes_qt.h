#pragma once

#include <string>
#include <vector>

#include "common/message_boxes.h"
#include "core/error.h"

class QFont;
class QMargins;
class QPoint;
class QRect;
class QSize;
class QString;
class QWidget;

namespace mnemora {

// The boxes drawn with Qt; the program installs them as its own at start-up.
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

// The property every window and control keeps its help topic in.
inline constexpr const char* kHelpContextProperty = "HelpContext";
// Menu items built from the catalogue keep their entry index in this one.
inline constexpr const char* kMenuEntryProperty = "MenuEntry";
void setHelpContext(QWidget* widget, int context);
int helpContextOf(const QWidget* widget);

}  // namespace mnemora

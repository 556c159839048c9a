#include "qt/common/message_boxes_qt.h"

#include <algorithm>

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpacerItem>
#include <QVariant>
#include <QWindow>

#include "core/app_title.h"

namespace mnemora {

namespace {

// While the window manager is still framing a window, Qt can read its frame
// from a half-built window tree; such readings are none or out of shape.
bool plausibleFrame(const QMargins& m) {
    const auto fits = [](int side) { return side >= 0 && side <= 256; };
    return !m.isNull() && fits(m.left()) && fits(m.top()) && fits(m.right()) && fits(m.bottom());
}

// The frame the window manager drew round the last box, for placing the next
// one before its own frame is known.
QMargins g_lastBoxFrame;

// A frame we can already see: the last box's, else one round a window on screen.
QMargins knownFrame() {
    if (!g_lastBoxFrame.isNull()) {
        return g_lastBoxFrame;
    }
    for (const QWindow* w : QGuiApplication::topLevelWindows()) {
        if (w->isVisible() && plausibleFrame(w->frameMargins())) {
            return w->frameMargins();
        }
    }
    return {};
}

// A message box as the program shows them: wide enough for its caption, and
// centred on the screen, frame included.
// Qt's own placement subtracts a guessed frame from a client position and so
// puts boxes well above the centre; here the box is placed with the frame it
// will get and placed again once the window manager has told its real frame.
class ProgramBox : public QMessageBox {
public:
    ProgramBox(Icon icon, const QString& caption, const QString& text, StandardButtons buttons = NoButton)
        : QMessageBox(icon, caption, text, buttons) {}

protected:
    void showEvent(QShowEvent* event) override {
        if (!widened_) {
            widened_ = true;
            reserveCaptionWidth();
        }
        QMessageBox::showEvent(event);  // sizes the box, then Qt places it
        if (!event->spontaneous()) {
            placeFor(windowHandle() != nullptr && plausibleFrame(windowHandle()->frameMargins())
                         ? windowHandle()->frameMargins()
                         : knownFrame());
            if (windowHandle() != nullptr) {
                windowHandle()->installEventFilter(this);
            }
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (watched == windowHandle() && (t == QEvent::Expose || t == QEvent::Move || t == QEvent::Resize)) {
            const QMargins frame = windowHandle()->frameMargins();
            // Before the window manager has framed the box its frame reads as
            // none; after that, only a frame other than the one it was placed for
            // moves it, so a box that the user has dragged elsewhere stays there.
            if (plausibleFrame(frame) && frame != placedFor_ && corrections_ < 3) {
                ++corrections_;
                placeFor(frame);
            }
            if (plausibleFrame(frame)) {
                g_lastBoxFrame = frame;
            }
        }
        return QMessageBox::eventFilter(watched, event);
    }

private:
    void reserveCaptionWidth() {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        if (grid == nullptr) {
            return;
        }
        const QMargins m = grid->contentsMargins();
        const int wanted = captionBoxWidth(windowTitle(), QFontDatabase::systemFont(QFontDatabase::TitleFont));
        grid->addItem(new QSpacerItem(wanted - m.left() - m.right(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
    }

    void placeFor(const QMargins& frame) {
        placedFor_ = frame;
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        setGeometry(QRect(centredClientPosition(size(), frame, screen->geometry()), size()));
    }

    bool widened_ = false;
    QMargins placedFor_;
    int corrections_ = 0;
};

QString qs(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon questionIcon(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::Warning: return QMessageBox::Warning;
    case QuestionKind::Error: return QMessageBox::Critical;
    case QuestionKind::Information: return QMessageBox::Information;
    case QuestionKind::Confirm: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// A bare "OK", without the icon some desktop themes put on it.
void plainOk(QMessageBox& box) {
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    ok->setText("OK");
    ok->setIcon(QIcon());
}

}  // namespace

int captionBoxWidth(const QString& caption, const QFont& titleFont) {
    // Window managers draw the caption in a bold title font between up to four
    // square buttons (window menu, minimise, maximise, close) that stand a
    // little taller than the text, with some padding at both ends.
    QFont bold(titleFont);
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int button = metrics.height() + 8;
    return metrics.horizontalAdvance(caption) + 4 * button + 32;
}

QPoint centredClientPosition(const QSize& client, const QMargins& frame, const QRect& screen) {
    const QSize outer = client.grownBy(frame);
    return {screen.x() + (screen.width() - outer.width()) / 2 + frame.left(),
            screen.y() + (screen.height() - outer.height()) / 2 + frame.top()};
}

void QtMessageBoxes::plain(const std::string& text) {
    ProgramBox box(QMessageBox::NoIcon, kApplicationTitle, qs(text), QMessageBox::Ok);
    plainOk(box);
    box.exec();
}

Answer QtMessageBoxes::question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                                int helpContext) {
    ProgramBox box(questionIcon(kind), qs(std::string(questionBoxCaption(kind))), qs(text));
    setHelpContext(&box, helpContext);
    std::vector<std::pair<QAbstractButton*, Answer>> made;
    for (Answer a : buttons) {
        const auto role = a == Answer::Yes || a == Answer::Ok ? QMessageBox::AcceptRole
                          : a == Answer::No                   ? QMessageBox::NoRole
                                                              : QMessageBox::RejectRole;
        QPushButton* b = box.addButton(qs(std::string(answerButtonText(a))), role);
        b->setIcon(QIcon());
        made.emplace_back(b, a);
    }
    auto find = [&](Answer a) -> QPushButton* {
        for (auto& [b, answer] : made) {
            if (answer == a) {
                return qobject_cast<QPushButton*>(b);
            }
        }
        return nullptr;
    };
    box.setDefaultButton(find(defaultAnswer(buttons)));
    const Answer onEscape = escapeAnswer(buttons);
    box.setEscapeButton(find(onEscape));
    box.exec();
    for (auto& [b, answer] : made) {
        if (box.clickedButton() == b) {
            return answer;
        }
    }
    return onEscape;
}

void QtMessageBoxes::error(const std::string& text) {
    ProgramBox box(QMessageBox::Critical, kApplicationTitle, qs(text), QMessageBox::Ok);
    plainOk(box);
    box.exec();
}

void QtMessageBoxes::fatal(const std::string& text) {
    ProgramBox box(QMessageBox::Critical, qs(std::string(kFatalBoxCaption)), qs(text), QMessageBox::Ok);
    plainOk(box);
    box.exec();
}

void setHelpContext(QWidget* widget, int context) { widget->setProperty(kHelpContextProperty, context); }

int helpContextOf(const QWidget* widget) { return widget->property(kHelpContextProperty).toInt(); }

}  // namespace mnemora

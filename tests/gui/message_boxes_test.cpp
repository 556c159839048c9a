#include "qt/common/message_boxes_qt.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui_support.h"

namespace mnemora {
namespace {

struct SeenBox {
    QString caption;
    QString text;
    QRect geometry;
    QStringList buttons;
    QString defaultButton;
};

// Runs `show` (which opens one real box and waits for it) and, once the box is
// on screen, records it and lets `answer` close it.
SeenBox whileShown(const std::function<void()>& show, const std::function<void(QMessageBox&)>& answer) {
    SeenBox seen;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        poll.stop();
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.geometry = box->frameGeometry();
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
        }
        if (box->defaultButton() != nullptr) {
            seen.defaultButton = box->defaultButton()->text();
        }
        answer(*box);
    });
    poll.start();
    show();
    return seen;
}

void pressKey(QMessageBox& box, Qt::Key key) { QTest::keyClick(&box, key); }

int titleNeeds(const char* caption) {
    return captionBoxWidth(QString::fromUtf8(caption), QFontDatabase::systemFont(QFontDatabase::TitleFont));
}

TEST(ProgramBoxes, ShortNoticeIsWideEnoughForItsCaption) {
    test::qtApp();
    QtMessageBoxes boxes;
    const SeenBox seen =
        whileShown([&] { boxes.plain("Список закончен."); }, [](QMessageBox& b) { pressKey(b, Qt::Key_Return); });
    EXPECT_EQ(seen.caption, "Мнемора");
    EXPECT_EQ(seen.text, "Список закончен.");
    EXPECT_EQ(seen.buttons, QStringList{"OK"});
    EXPECT_GE(seen.geometry.width(), titleNeeds("Мнемора"));

    const SeenBox fatal =
        whileShown([&] { boxes.fatal("x"); }, [](QMessageBox& b) { pressKey(b, Qt::Key_Escape); });
    EXPECT_EQ(fatal.caption, "Application Error");
    EXPECT_GE(fatal.geometry.width(), titleNeeds("Application Error"));
}

TEST(ProgramBoxes, CaptionWidthCountsTheTextAndTheFrameButtons) {
    const QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    QFont bold(font);
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const QString caption = QString::fromUtf8("Мнемора");
    // Room for the whole caption in bold and four buttons at least as tall as the text.
    EXPECT_GE(captionBoxWidth(caption, font), metrics.horizontalAdvance(caption) + 4 * metrics.height());
    EXPECT_GT(captionBoxWidth("Application Error", font), captionBoxWidth("Error", font));
    QFont larger(font);
    larger.setPointSizeF(font.pointSizeF() * 2);
    EXPECT_GT(captionBoxWidth(caption, larger), captionBoxWidth(caption, font));
}

// The offscreen platform frames windows the way Qt's own placement guesses, so
// where boxes really land is measured under X11 by tests/e2e/message_boxes.sh;
// this checks the arithmetic that the placement rests on.
TEST(ProgramBoxes, ClientIsPlacedSoThatTheFramedWindowIsCentred) {
    const QRect screen(0, 0, 1024, 768);
    // A title bar of 20 and borders of 1: the frame spans 337..430, centred on 384.
    const QPoint at = centredClientPosition(QSize(224, 72), QMargins(1, 20, 1, 1), screen);
    EXPECT_EQ(at, QPoint(400, 357));
    const QRect frame = QRect(at, QSize(224, 72)).marginsAdded(QMargins(1, 20, 1, 1));
    EXPECT_LE(std::abs(2 * frame.y() + frame.height() - 768), 1);
    EXPECT_LE(std::abs(2 * frame.x() + frame.width() - 1024), 1);
    // No frame at all, and a second screen to the right of the first.
    EXPECT_EQ(centredClientPosition(QSize(200, 100), QMargins(), QRect(1024, 0, 800, 600)), QPoint(1324, 250));
}

TEST(ProgramBoxes, QuestionBoxDefaultsToYesAndEscapeAnswersCancel) {
    test::qtApp();
    QtMessageBoxes boxes;
    const std::vector<Answer> yesNoCancel{Answer::Yes, Answer::No, Answer::Cancel};
    Answer answer = Answer::Ok;
    const SeenBox seen = whileShown(
        [&] { answer = boxes.question(QuestionKind::Error, "text", yesNoCancel, 1010); },
        [](QMessageBox& b) { pressKey(b, Qt::Key_Return); });
    EXPECT_EQ(seen.caption, "Error");
    QStringList buttons = seen.buttons;
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"&No", "&Yes", "Cancel"}));
    EXPECT_EQ(seen.defaultButton, "&Yes");
    EXPECT_EQ(answer, Answer::Yes);

    whileShown([&] { answer = boxes.question(QuestionKind::Warning, "text", yesNoCancel, 0); },
               [](QMessageBox& b) { pressKey(b, Qt::Key_Escape); });
    EXPECT_EQ(answer, Answer::Cancel);
    whileShown([&] { answer = boxes.question(QuestionKind::Confirm, "text", {Answer::Yes, Answer::No}, 0); },
               [](QMessageBox& b) { pressKey(b, Qt::Key_Escape); });
    EXPECT_EQ(answer, Answer::No);
}

}  // namespace
}  // namespace mnemora

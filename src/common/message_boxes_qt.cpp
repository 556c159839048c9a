#include "common/message_boxes_qt.h"

#include <QMessageBox>
#include <QPushButton>
#include <QVariant>

#include "core/app_title.h"

namespace mnemora {

namespace {

MessageBoxes* g_boxes = nullptr;

QString qs(const std::string& s) { return QString::fromStdString(s); }

const char* questionCaption(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::Warning: return "Warning";
    case QuestionKind::Error: return "Error";
    case QuestionKind::Information: return "Information";
    case QuestionKind::Confirm: return "Confirm";
    }
    return "";
}

QMessageBox::Icon questionIcon(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::Warning: return QMessageBox::Warning;
    case QuestionKind::Error: return QMessageBox::Critical;
    case QuestionKind::Information: return QMessageBox::Information;
    case QuestionKind::Confirm: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

const char* buttonCaption(Answer a) {
    switch (a) {
    case Answer::Yes: return "&Yes";
    case Answer::No: return "&No";
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    }
    return "";
}

bool has(const std::vector<Answer>& v, Answer a) { return std::find(v.begin(), v.end(), a) != v.end(); }

// A bare "OK", without the icon some desktop themes put on it.
void plainOk(QMessageBox& box) {
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    ok->setText("OK");
    ok->setIcon(QIcon());
}

}  // namespace

void QtMessageBoxes::plain(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, qs(text), QMessageBox::Ok);
    plainOk(box);
    box.exec();
}

Answer QtMessageBoxes::question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                                int helpContext) {
    QMessageBox box(questionIcon(kind), questionCaption(kind), qs(text));
    setHelpContext(&box, helpContext);
    std::vector<std::pair<QAbstractButton*, Answer>> made;
    for (Answer a : buttons) {
        const auto role = a == Answer::Yes || a == Answer::Ok ? QMessageBox::AcceptRole
                          : a == Answer::No                   ? QMessageBox::NoRole
                                                              : QMessageBox::RejectRole;
        QPushButton* b = box.addButton(buttonCaption(a), role);
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
    box.setDefaultButton(has(buttons, Answer::Ok) ? find(Answer::Ok) : find(Answer::Yes));
    const Answer onEscape = has(buttons, Answer::Cancel) ? Answer::Cancel
                            : has(buttons, Answer::No)   ? Answer::No
                                                         : Answer::Ok;
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
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, qs(text), QMessageBox::Ok);
    plainOk(box);
    box.exec();
}

void QtMessageBoxes::fatal(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, "Application Error", qs(text), QMessageBox::Ok);
    plainOk(box);
    box.exec();
}

MessageBoxes& messageBoxes() {
    static QtMessageBoxes real;
    return g_boxes != nullptr ? *g_boxes : real;
}

void setMessageBoxes(MessageBoxes* boxes) { g_boxes = boxes; }

std::string errorBoxText(const std::exception& failure) { return withFullStop(failure.what()); }

void setHelpContext(QWidget* widget, int context) { widget->setProperty(kHelpContextProperty, context); }

int helpContextOf(const QWidget* widget) { return widget->property(kHelpContextProperty).toInt(); }

}  // namespace mnemora

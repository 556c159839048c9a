#include "qt/shell/about_window.h"

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "common/help_hook.h"
#include "core/app_title.h"
#include "qt/common/message_boxes_qt.h"
#include "qt/sessions/main_window.h"

namespace mnemora {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QLabel* makeLabel(const char* name, std::string_view caption, QWidget* parent, QRect at) {
    auto* l = new QLabel(qs(caption), parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setTextFormat(Qt::PlainText);
    return l;
}

}  // namespace

// The window's own presenter is a member, so it is taken once the object is
// built, never named in a delegating constructor's arguments.
TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) { build(); }

TFormAbout::TFormAbout(AboutPresenter& presenter, QWidget* parent) : QDialog(parent), presenter_(&presenter) {
    build();
}

void TFormAbout::build() {
    presenter_->attach(*this);
    setObjectName("FormAbout");
    setWindowTitle(qs(kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(314, 174);
    setFont(windowFont());
    setHelpContext(this, kWindowHelpContext);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(8, 8, 297, 129);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    Label1 = makeLabel("Label1", "", Panel1, {24, 16, 257, 13});
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = makeLabel("Label2", kAboutParagraph, Panel1, {24, 32, 249, 49});
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setWordWrap(true);
    Label5 = makeLabel("Label5", kAboutMailingLabel, Panel1, {24, 88, 54, 13});
    Label6 = makeLabel("Label6", kSubscribeAddress, Panel1, {80, 88, 154, 13});
    Label3 = makeLabel("Label3", kAboutCredit, Panel1, {24, 104, 141, 13});
    Label4 = makeLabel("Label4", kContactAddress, Panel1, {168, 104, 120, 13});
    fitAddressLines();

    for (QLabel* link : {Label6, Label4}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setAutoFillBackground(true);
        QPalette p = link->palette();
        p.setColor(QPalette::Window, toQColor(clBtnFace, palette()));
        link->setPalette(p);
    }
    presenter_->Panel1MouseMove();  // both links start plain
    // Every label takes the moves over it, so only the panel's free area
    // clears the highlight.
    for (QWidget* w : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label6), static_cast<QWidget*>(Label3),
                       static_cast<QWidget*>(Label4)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }

    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(8, 144, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });

    openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    presenter_->FormCreate();
}

// The desktop's stand-in for "MS Sans Serif" is wider than the face the
// layout was drawn for: the address lines get the room their texts need, and
// the panel and window widen with them, never narrower than drawn.
void TFormAbout::fitAddressLines() {
    auto fit = [](QLabel* l) { l->resize(std::max(l->width(), l->fontMetrics().horizontalAdvance(l->text()) + 2), 13); };
    for (QLabel* l : {Label5, Label6, Label3, Label4}) {
        fit(l);
    }
    Label6->move(std::max(Label6->x(), Label5->x() + Label5->width() + 2), Label6->y());
    Label4->move(std::max(Label4->x(), Label3->x() + Label3->width() + 3), Label4->y());
    const int rightmost = std::max(Label6->x() + Label6->width(), Label4->x() + Label4->width());
    const int panelWidth = std::max(Panel1->width(), rightmost + 9);
    const int grown = panelWidth - Panel1->width();
    Panel1->resize(panelWidth, Panel1->height());
    setFixedSize(width() + grown, height());
    for (QLabel* centred : {Label1, Label2}) {
        centred->resize(centred->width() + grown, centred->height());
    }
}

void TFormAbout::setVersionText(const std::string& text) { Label1->setText(qs(text)); }

std::string TFormAbout::linkCaption(AboutLink link) const { return linkLabel(link)->text().toStdString(); }

void TFormAbout::openAddress(const std::string& url) { openUrl(qs(url)); }

int TFormAbout::ShowModal() { return exec(); }

void TFormAbout::reject() { done(2); }

// No button of this window is a cancel button, so Escape closes nothing.
void TFormAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormAbout::setLinkLook(AboutLink which, bool underline, TColor color) {
    QLabel* link = linkLabel(which);
    QFont f = link->font();
    f.setUnderline(underline);
    f.setBold(false);
    f.setItalic(false);
    f.setStrikeOut(false);
    link->setFont(f);
    QPalette p = link->palette();
    p.setColor(QPalette::WindowText, toQColor(color, palette()));
    link->setPalette(p);
}

void TFormAbout::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QDialog::showEvent(event);
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    const bool isLink = watched == Label4 || watched == Label6;
    const AboutLink link = watched == Label4 ? AboutLink::Label4 : AboutLink::Label6;
    if (event->type() == QEvent::MouseMove) {
        if (isLink) {
            presenter_->Label4MouseMove(link);
        } else if (watched == Panel1) {
            presenter_->Panel1MouseMove();
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && isLink) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
            presenter_->Label4Click(link);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mnemora

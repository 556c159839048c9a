#include "qt/sessions/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <vector>

#include "qt/common/look_qt.h"
#include "qt/common/message_boxes_qt.h"
#include "core/caption.h"
#include "core/cp1251.h"
#include "sessions/band_splitter.h"

namespace mnemora {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QFrame* makePanel(const char* name, QWidget* parent, bool raised) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (raised) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setLineWidth(1);
    }
    return panel;
}

}  // namespace

QString mnemonicHtml(const std::string& caption) {
    const MnemonicText m = parseMnemonic(caption);
    QString html;
    std::size_t pos = 0;
    std::size_t index = 0;
    std::size_t next = 0;
    while (pos < m.text.size()) {
        const std::size_t start = pos;
        if (!decodeUtf8(m.text, pos)) {
            ++pos;
        }
        QString ch = qs(std::string_view(m.text).substr(start, pos - start)).toHtmlEscaped();
        if (ch == "\n") {
            ch = "<br>";
        }
        const bool underline = next < m.underlined.size() && m.underlined[next] == index;
        if (underline) {
            ++next;
            html += "<u>" + ch + "</u>";
        } else {
            html += ch;
        }
        ++index;
    }
    return "<span style=\"white-space:pre-wrap\">" + html + "</span>";
}

void MnemonicLabel::setCaption(const std::string& caption) {
    caption_ = caption;
    setText(mnemonicHtml(caption));
}

void MnemonicLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

BandSplitter::BandSplitter(QWidget* band, QWidget* questionArea, int minimum, bool bandAbove, QWidget* parent)
    : QWidget(parent), band_(band), question_(questionArea), minimum_(minimum), bandAbove_(bandAbove) {
    setFixedHeight(3);
    setCursor(Qt::SizeVerCursor);
}

void BandSplitter::dragBandTo(int requested) {
    const int shared = band_->height() + question_->height();
    band_->setFixedHeight(bandHeightWhileDragging(requested, minimum_, shared));
}

void BandSplitter::mousePressEvent(QMouseEvent* event) {
    pressY_ = static_cast<int>(event->globalPosition().y());
    pressHeight_ = band_->height();
}

void BandSplitter::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    const int dy = static_cast<int>(event->globalPosition().y()) - pressY_;
    dragBandTo(bandAbove_ ? pressHeight_ + dy : pressHeight_ - dy);
}

TForm1::TForm1(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random, QWidget* parent)
    : QWidget(parent) {
    setObjectName("Form1");
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont());
    setAutoFillBackground(true);
    setWindowTitle(qs(SessionEngine::kBaseCaption));
    resize(574, 338);
    createActions();
    buildTrayPopup();
    presenter_ = std::make_unique<MainPresenter>(*this, settings, help, random);
}

// The window lives hidden in the tray for most of a run, often for all of
// it: its widgets, and the fonts their sizes need, are made when it is first
// shown, and what the session set before then is shown by them.
void TForm1::ensureControls() {
    if (Label_Text != nullptr) {
        return;
    }
    createControls();
    connect(Label_Text, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { TrayPopup->exec(Label_Text->mapToGlobal(at)); });
    showTexts();
    if (appearance_) {
        applyQuestionAppearance(appearance_->first, appearance_->second);
    }
}

void TForm1::showTexts() {
    Label_Quest->setCaption(header_);
    Label_Quest->adjustSize();
    Label_Text->setCaption(question_);
    Label_O->setCaption(perception_);
    Label_O->adjustSize();
}

void TForm1::setVisible(bool visible) {
    if (visible) {
        ensureControls();
    }
    QWidget::setVisible(visible);
}

TForm1::~TForm1() = default;

void TForm1::createActions() {
    for (const ActionInfo& info : mainActions()) {
        auto* a = new QAction(qs(info.caption), this);
        a->setObjectName(qs(info.name));
        actions_[static_cast<std::size_t>(info.id)] = a;
    }
    for (const ActionInfo& info : mainActions()) {
        connect(action(info.id), &QAction::triggered, this, [this, id = info.id] { presenter_->actionExecuted(id); });
    }
}

QPushButton* TForm1::makeButton(const char* name, int x, ActionId id, const char* hint) {
    auto* b = new QPushButton(Panel_Button);
    b->setObjectName(name);
    b->setGeometry(x, 8, 75, 25);
    b->setAutoDefault(false);
    if (hint != nullptr) {
        b->setProperty("Hint", QString::fromUtf8(hint));  // kept, but hints are not shown here
    }
    QAction* a = action(id);
    auto sync = [b, a] {
        b->setText(a->text());
        b->setEnabled(a->isEnabled());
    };
    sync();
    connect(a, &QAction::changed, b, sync);
    connect(b, &QPushButton::clicked, a, &QAction::trigger);
    return b;
}

void TForm1::createControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    Panel1 = makePanel("Panel1", this, false);
    outer->addWidget(Panel1);

    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel_Quest = makePanel("Panel_Quest", Panel1, true);
    Panel_Quest->setFixedHeight(57);
    Label1 = new QLabel(QString::fromUtf8("Восприятие:"), Panel_Quest);
    Label1->setObjectName("Label1");
    Label1->move(8, 11);
    Label1->adjustSize();
    Label_O = new MnemonicLabel(Panel_Quest);
    Label_O->setObjectName("Label_O");
    QFont bold = windowFont();
    bold.setBold(true);
    bold.setUnderline(true);
    Label_O->setFont(bold);
    Label_O->setCursor(Qt::WhatsThisCursor);
    // The substitute face is wider than the original one; keep a gap after "Восприятие:".
    Label_O->move(std::max(76, Label1->x() + Label1->width() + 6), 11);
    connect(Label_O, &MnemonicLabel::clicked, this, [this] { presenter_->Edit_OClick(); });
    Label_Quest = new MnemonicLabel(Panel_Quest);
    Label_Quest->setObjectName("Label_Quest");
    Label_Quest->move(8, 32);

    PanelText = makePanel("PanelText", Panel1, false);
    auto* textLayout = new QVBoxLayout(PanelText);
    textLayout->setContentsMargins(0, 0, 0, 0);
    Label_Text = new MnemonicLabel(PanelText);
    Label_Text->setObjectName("Label_Text");
    Label_Text->setAlignment(Qt::AlignCenter);
    Label_Text->setWordWrap(true);
    Label_Text->setAutoFillBackground(true);
    Label_Text->setContextMenuPolicy(Qt::CustomContextMenu);
    Label_Text->setMinimumSize(1, 1);
    Label_Text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    textLayout->addWidget(Label_Text);

    Panel_Button = makePanel("Panel_Button", Panel1, true);
    Panel_Button->setFixedHeight(41);
    Button_Last = makeButton("Button_Last", 8, ActionId::Prior, "Предыдущий");
    Button_Next = makeButton("Button_Next", 96, ActionId::Next, "Следующий");
    Button_Break = makeButton("Button_Break", 184, ActionId::Break, "Закончит сессию");
    Button1 = makeButton("Button1", 272, ActionId::HelpContext, nullptr);
    setTabOrder(Button_Last, Button_Next);
    setTabOrder(Button_Next, Button_Break);
    setTabOrder(Button_Break, Button1);

    Splitter2 = new BandSplitter(Panel_Quest, PanelText, 24, true, Panel1);
    Splitter2->setObjectName("Splitter2");
    Splitter1 = new BandSplitter(Panel_Button, PanelText, 30, false, Panel1);
    Splitter1->setObjectName("Splitter1");

    column->addWidget(Panel_Quest);
    column->addWidget(Splitter2);
    column->addWidget(PanelText, 1);
    column->addWidget(Splitter1);
    column->addWidget(Panel_Button);
}

void TForm1::buildTrayPopup() {
    TrayPopup = new QMenu(this);
    TrayPopup->setObjectName("TrayPopup");
    TrayPopup->setFont(windowFont());
    const auto entries = trayPopupEntries();
    std::vector<QMenu*> menus{TrayPopup};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MenuEntry& e = entries[i];
        menus.resize(static_cast<std::size_t>(e.depth) + 1);
        QMenu* into = menus.back();
        QAction* item = nullptr;
        switch (e.kind) {
        case MenuKind::Submenu: {
            QMenu* sub = into->addMenu(qs(e.caption));
            sub->setObjectName(qs(e.name));
            item = sub->menuAction();
            menus.push_back(sub);
            break;
        }
        case MenuKind::Separator:
            item = into->addSeparator();
            break;
        case MenuKind::Action:
            item = action(e.action);
            into->addAction(item);
            break;
        case MenuKind::Session:
            item = into->addAction(qs(e.caption));
            connect(item, &QAction::triggered, this, [this, i] { presenter_->sessionItemChosen(i); });
            break;
        }
        if (e.kind != MenuKind::Action) {
            item->setObjectName(qs(e.name));
        }
        item->setProperty(kMenuEntryProperty, static_cast<int>(i));
        menuItems_.push_back(item);
    }
}

QAction* TForm1::menuItem(std::string_view name) const {
    const auto index = findEntry(name);
    return index ? menuItems_[*index] : nullptr;
}

void TForm1::setHeaderText(const std::string& text) {
    header_ = text;
    if (Label_Quest != nullptr) {
        Label_Quest->setCaption(text);
        Label_Quest->adjustSize();
    }
}

void TForm1::setQuestionText(const std::string& text) {
    question_ = text;
    if (Label_Text != nullptr) {
        Label_Text->setCaption(text);
    }
}

std::string TForm1::questionText() const { return question_; }

void TForm1::setPerceptionText(const std::string& text) {
    perception_ = text;
    if (Label_O != nullptr) {
        Label_O->setCaption(text);
        Label_O->adjustSize();
    }
}

void TForm1::setWindowCaption(const std::string& text) { setWindowTitle(qs(text)); }

void TForm1::setWindowHelpContext(int context) { setHelpContext(this, context); }

void TForm1::showWindow() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TForm1::hideWindow() { hide(); }

void TForm1::setActionEnabled(ActionId id, bool enabled) { action(id)->setEnabled(enabled); }

void TForm1::setMenuItemEnabled(std::string_view name, bool enabled) { menuItem(name)->setEnabled(enabled); }

void TForm1::closeWindow() { close(); }

void TForm1::defer(std::function<void()> command) {
    QMetaObject::invokeMethod(this, std::move(command), Qt::QueuedConnection);
}

void TForm1::applyQuestionAppearance(const TFont& font, TColor background) {
    appearance_.emplace(font, background);
    if (Label_Text == nullptr) {
        return;
    }
    Label_Text->setFont(toQFont(font));
    QPalette p = Label_Text->palette();
    p.setColor(QPalette::Window, toQColor(background, palette()));
    p.setColor(QPalette::WindowText, toQColor(font.Color, palette()));
    Label_Text->setPalette(p);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (presenter_->FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    const auto old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if (isMinimized() && (old & Qt::WindowMinimized) == 0) {
        presenter_->windowMinimized();
    } else if (!isMinimized() && (old & Qt::WindowMinimized) != 0) {
        presenter_->windowUnminimized(isVisible());
    }
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        // Some platforms (Wayland) never report the minimised state back to
        // the window; the request to minimise, made by the title bar, still
        // reaches it. Posted, so that the request has finished first.
        connect(windowHandle(), &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
            if (state == Qt::WindowMinimized) {
                QMetaObject::invokeMethod(
                    this, [this] { presenter_->minimizeRequested(isVisible()); }, Qt::QueuedConnection);
            }
        });
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        }
    }
}

}  // namespace mnemora

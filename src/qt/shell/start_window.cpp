#include "qt/shell/start_window.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "qt/common/look_qt.h"

// The picture lives in the UI library's resources, which a static library
// only brings along when something asks for them by name.
static void initStartResources() { Q_INIT_RESOURCE(mnemora); }

namespace mnemora {

TFormStart::TFormStart(TParamValues& values, RegistryBackend& store, TMyHLPObject& help, QWidget* parent)
    : TFormStart(nullptr, std::make_unique<StartPresenter>(values, store, help), parent) {}

TFormStart::TFormStart(StartPresenter& presenter, QWidget* parent) : TFormStart(&presenter, nullptr, parent) {}

TFormStart::TFormStart(StartPresenter* shared, std::unique_ptr<StartPresenter> own, QWidget* parent)
    : QWidget(parent), ownPresenter_(std::move(own)), presenter_(shared != nullptr ? shared : ownPresenter_.get()) {
    presenter_->attach(*this);
    initStartResources();
    setObjectName("FormStart");
    setWindowTitle(QString::fromUtf8("\"Мнемора\""));
    // A plain top-level window with a fixed size: X11 window managers keep a
    // dialog with no owner above every other window of the program, so the
    // session window could never come in front of it.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(231, 313);
    setFont(windowFont());
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, 230, 217);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(":/start.png"));

    // Flat buttons that still paint their face over the black background.
    auto makeButton = [this](const char* name, const char* caption, QRect at) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(name);
        b->setGeometry(at);
        b->setFlat(true);
        b->setAutoFillBackground(true);
        b->setFocusPolicy(Qt::NoFocus);
        QPalette face = b->palette();
        face.setColor(QPalette::Window, face.color(QPalette::Button));
        face.setColor(QPalette::ButtonText, QGuiApplication::palette().color(QPalette::ButtonText));
        b->setPalette(face);
        return b;
    };
    SpeedButton2 = makeButton("SpeedButton2", "Как работать с программой", {24, 224, 185, 25});
    SpeedButton1 = makeButton("SpeedButton1", "Продолжить", {56, 256, 121, 25});

    CheckBox1 = new QCheckBox(QString::fromUtf8("&Показывать при запуске"), this);
    CheckBox1->setObjectName("CheckBox1");
    // Wider than drawn where the desktop's face needs it, kept centred.
    const int boxWidth = std::max(161, CheckBox1->sizeHint().width());
    CheckBox1->setGeometry(std::min(40, (231 - boxWidth) / 2), 288, boxWidth, 17);
    CheckBox1->setChecked(true);
    CheckBox1->setLayoutDirection(Qt::LeftToRight);
    CheckBox1->setAutoFillBackground(true);
    CheckBox1->setBackgroundRole(QPalette::Window);
    QPalette check = CheckBox1->palette();
    check.setColor(QPalette::Window, Qt::black);
    check.setColor(QPalette::WindowText, QColor(255, 255, 0));
    CheckBox1->setPalette(check);

    primaryScreenSize = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr ? screen->geometry().size() : QSize();
    };
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { presenter_->Button1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { presenter_->SpeedButton2Click(); });
}

bool TFormStart::showAtStartChecked() const { return CheckBox1->isChecked(); }

ScreenSize TFormStart::screenSize() const {
    const QSize size = primaryScreenSize();
    return {size.width(), size.height()};
}

void TFormStart::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QWidget::showEvent(event);
}

}  // namespace mnemora

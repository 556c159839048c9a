#include "qt/settings/param_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTranslator>
#include <QUrl>
#include <algorithm>
#include <QVBoxLayout>
#include <array>

#include "qt/common/message_boxes_qt.h"
#include "qt/sessions/main_window.h"

namespace mnemora {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QPushButton* makeButton(const char* name, const char* caption, QWidget* parent, QRect at) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    b->setGeometry(at);
    return b;
}

QGroupBox* makeGroup(const char* name, const char* title, QWidget* parent, QRect at) {
    auto* g = new QGroupBox(QString::fromUtf8(title), parent);
    g->setObjectName(name);
    g->setGeometry(at);
    return g;
}

QLabel* makeLabel(const char* name, const char* caption, QWidget* parent, QPoint at) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(name);
    l->move(at);
    l->adjustSize();
    return l;
}

QLineEdit* makeEdit(const char* name, QWidget* parent, QRect at) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(at);
    return e;
}

// The colours the font dialog offers for the text, as the classic sixteen.
struct NamedColor {
    const char* name;
    TColor color;
};
constexpr std::array<NamedColor, 16> kFontColors{{
    {"Чёрный", rgbColor(0, 0, 0)},         {"Тёмно-красный", rgbColor(128, 0, 0)},
    {"Зелёный", rgbColor(0, 128, 0)},      {"Оливковый", rgbColor(128, 128, 0)},
    {"Тёмно-синий", rgbColor(0, 0, 128)},  {"Фиолетовый", rgbColor(128, 0, 128)},
    {"Сине-зелёный", rgbColor(0, 128, 128)}, {"Серый", rgbColor(128, 128, 128)},
    {"Серебристый", rgbColor(192, 192, 192)}, {"Красный", rgbColor(255, 0, 0)},
    {"Лайм", rgbColor(0, 255, 0)},          {"Жёлтый", rgbColor(255, 255, 0)},
    {"Синий", rgbColor(0, 0, 255)},         {"Фуксия", rgbColor(255, 0, 255)},
    {"Морская волна", rgbColor(0, 255, 255)}, {"Белый", rgbColor(255, 255, 255)},
}};

// Qt's own dialogs speak Russian while they are open, like the rest of the
// program, whatever the start-up code loaded.
class RussianDialogTexts {
public:
    RussianDialogTexts() {
        if (translator_.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            installed_ = QCoreApplication::installTranslator(&translator_);
        }
    }
    ~RussianDialogTexts() {
        if (installed_) {
            QCoreApplication::removeTranslator(&translator_);
        }
    }
    RussianDialogTexts(const RussianDialogTexts&) = delete;
    RussianDialogTexts& operator=(const RussianDialogTexts&) = delete;

private:
    QTranslator translator_;
    bool installed_ = false;
};

}  // namespace

std::optional<FontDialogResult> runFontDialog(QWidget* parent, const TFont& start) {
    const RussianDialogTexts russian;
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromUtf8("Шрифт"));
    auto* column = new QVBoxLayout(&dialog);
    auto* chooser = new QFontDialog(&dialog);
    chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    chooser->setWindowFlags(Qt::Widget);
    QFont initial = toQFont(start);
    initial.setPointSize(std::max(1, start.Size()));
    // A face this desktop lacks is offered as the face that stands in for it,
    // and kept by name when the user leaves that choice alone.
    const QFontInfo matched(initial);
    const QString standIn = matched.family();
    initial.setFamily(standIn);
    initial.setStyleName(matched.styleName());  // the chooser finds its style row by name
    chooser->setCurrentFont(initial);
    column->addWidget(chooser);
    // The chooser is a dialog of its own inside ours: Escape in it would
    // close it alone and leave an empty frame. It cancels the whole dialog.
    QObject::connect(chooser, &QDialog::rejected, &dialog, &QDialog::reject);

    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QString::fromUtf8("&Цвет:"), &dialog);
    auto* colors = new QComboBox(&dialog);
    colorLabel->setBuddy(colors);
    int startIndex = -1;
    if (isSystemColor(start.Color)) {
        colors->addItem(QString::fromUtf8("Системный"), QVariant());
        startIndex = 0;
    }
    for (const NamedColor& c : kFontColors) {
        QPixmap swatch(16, 12);
        swatch.fill(QColor(redOf(c.color), greenOf(c.color), blueOf(c.color)));
        colors->addItem(QIcon(swatch), QString::fromUtf8(c.name), QVariant::fromValue(c.color));
        if (c.color == start.Color) {
            startIndex = colors->count() - 1;
        }
    }
    if (startIndex < 0) {
        colors->insertItem(0, QString::fromUtf8("Другой"), QVariant());
        startIndex = 0;
    }
    colors->setCurrentIndex(startIndex);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colors, 1);
    column->addLayout(colorRow);

    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("Отмена"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    column->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QFont chosen = chooser->currentFont();
    FontDialogEnd end;
    end.face = chosen.family().toStdString();
    end.pointSize = chosen.pointSize();
    end.weight = chosen.weight();
    end.italic = chosen.italic();
    end.underline = chosen.underline();
    end.strikeout = chosen.strikeOut();
    end.cyrillicFace = QFontDatabase::writingSystems(chosen.family()).contains(QFontDatabase::Cyrillic);
    if (colors->currentIndex() != startIndex && colors->currentData().isValid()) {
        end.pickedColor = colors->currentData().value<TColor>();
    }
    return fontDialogResult(start, standIn.toStdString(), end);
}

TFormParam::TFormParam(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env,
                       TMyHLPObject& help, QWidget* parent)
    : TFormParam(nullptr, std::make_unique<ParamPresenter>(values, store, env, help), parent) {}

TFormParam::TFormParam(ParamPresenter& presenter, QWidget* parent) : TFormParam(&presenter, nullptr, parent) {}

TFormParam::TFormParam(ParamPresenter* shared, std::unique_ptr<ParamPresenter> own, QWidget* parent)
    : QDialog(parent), ownPresenter_(std::move(own)), presenter_(shared != nullptr ? shared : ownPresenter_.get()) {
    presenter_->attach(*this);
    setObjectName("FormParam");
    setWindowTitle(QString::fromUtf8("Параметры"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setFixedSize(417, 325);
    setHelpContext(this, kWindowHelpContext);

    chooseFont = &mnemora::runFontDialog;  // the free function, not the view operation
    chooseColor = [](QWidget* owner, const QColor& start) -> std::optional<QColor> {
        const RussianDialogTexts russian;
        const QColor c = QColorDialog::getColor(start, owner);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
    // Handing the address to the desktop is all; whether a mail program answers is its business.
    openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };

    createControls();
}

void TFormParam::createControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(8, 8, 401, 281);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, QString::fromUtf8("Общие настройки"));
    PageControl1->addTab(TabSheet2, QString::fromUtf8("Месторасположение данных"));

    GroupBox2 = makeGroup("GroupBox2", "Оформление", TabSheet1, {8, 8, 377, 105});
    PanelColor = new QLabel(QStringLiteral("Vantero"), GroupBox2);
    PanelColor->setObjectName("PanelColor");
    PanelColor->setGeometry(104, 32, 185, 41);
    PanelColor->setAlignment(Qt::AlignCenter);
    PanelColor->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelColor->setAutoFillBackground(true);
    PanelColor->setCursor(Qt::PointingHandCursor);
    PanelColor->installEventFilter(this);
    Button4 = makeButton("Button4", "&Шрифт", GroupBox2, {8, 24, 75, 25});
    Button5 = makeButton("Button5", "&Цвет фона", GroupBox2, {8, 56, 75, 25});
    Button6 = makeButton("Button6", "&По умолчанию", TabSheet1, {16, 224, 113, 25});
    GroupBox3 = makeGroup("GroupBox3", "Запуск", TabSheet1, {8, 120, 177, 65});
    CheckBox_Start = new QCheckBox(QString::fromUtf8("&Показывать заставку"), GroupBox3);
    CheckBox_Start->setObjectName("CheckBox_Start");
    CheckBox_Start->setGeometry(16, 16, 145, 33);
    RadioGroup_Clicks = makeGroup("RadioGroup_Clicks", "Открывать главное окно при:", TabSheet1, {192, 120, 193, 65});
    clickItems_ = new QButtonGroup(RadioGroup_Clicks);
    const std::array<const char*, 2> items{"одинарном щелчке мыши", "двойном щелчке мыши"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(items[static_cast<std::size_t>(i)]), RadioGroup_Clicks);
        item->setObjectName(QString("RadioGroup_Clicks_%1").arg(i));
        item->setGeometry(8, 18 + 20 * i, 177, 17);
        clickItems_->addButton(item, i);
    }

    GroupBox1 = makeGroup("GroupBox1", "Пути", TabSheet2, {8, 8, 377, 73});
    Label1 = makeLabel("Label1", "&Файл данных:", GroupBox1, {16, 20});
    Edit_DirFiles = makeEdit("Edit_DirFiles", GroupBox1, {104, 16, 241, 21});
    Label1->setBuddy(Edit_DirFiles);
    Button1 = makeButton("Button1", "...", GroupBox1, {348, 16, 21, 21});
    Label2 = makeLabel("Label2", "Ф&айлы отчетов:", GroupBox1, {14, 44});
    Edit_DirReport = makeEdit("Edit_DirReport", GroupBox1, {104, 40, 241, 21});
    Label2->setBuddy(Edit_DirReport);
    Button2 = makeButton("Button2", "...", GroupBox1, {348, 40, 21, 21});
    // The edits start after the wider of the two labels, which the desktop's
    // stand-in face may push past where they were drawn.
    const int editLeft = std::max(Edit_DirFiles->x(), std::max(Label1->x() + Label1->width(),
                                                               Label2->x() + Label2->width()) + 4);
    for (QLineEdit* edit : {Edit_DirFiles, Edit_DirReport}) {
        edit->setGeometry(editLeft, edit->y(), Button1->x() - 3 - editLeft, edit->height());
    }
    Button3 = makeButton("Button3", "&По умолчанию", TabSheet2, {16, 224, 113, 25});

    BitBtn1 = makeButton("BitBtn1", "OK", this, {152, 296, 75, 25});
    BitBtn1->setDefault(true);
    BitBtn2 = makeButton("BitBtn2", "Отмена", this, {240, 296, 75, 25});
    BitBtn3 = makeButton("BitBtn3", "&Помощь", this, {328, 296, 75, 25});

    // Keyboard order follows the layout: each page top to bottom, then the
    // buttons at the foot of the window.
    QWidget* order[] = {PageControl1,   Button4,       Button5, Button6, CheckBox_Start,
                        clickItems_->button(0), clickItems_->button(1), Edit_DirFiles, Button1,
                        Edit_DirReport, Button2,       Button3, BitBtn1, BitBtn2, BitBtn3};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    auto on = [this](QPushButton* b, void (ParamPresenter::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { (presenter_->*handler)(); });
    };
    on(Button4, &ParamPresenter::Button4Click);
    on(Button5, &ParamPresenter::Button5Click);
    on(Button6, &ParamPresenter::Button6Click);
    on(Button3, &ParamPresenter::Button3Click);
    on(BitBtn1, &ParamPresenter::BitBtn1Click);
    on(BitBtn3, &ParamPresenter::BitBtn3Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormParam::reject);

    // Edits and clicks only: setting a value for show raises none of these.
    connect(Edit_DirFiles, &QLineEdit::textEdited, this,
            [this](const QString& text) { presenter_->dataFileEdited(text.toStdString()); });
    connect(Edit_DirReport, &QLineEdit::textEdited, this,
            [this](const QString& text) { presenter_->reportDirEdited(text.toStdString()); });
    connect(CheckBox_Start, &QCheckBox::clicked, this, [this](bool on) { presenter_->startClicked(on); });
    connect(clickItems_, &QButtonGroup::idClicked, this, [this](int id) { presenter_->clickModeChosen(id); });
}

void TFormParam::showClickMode(std::optional<int> item) {
    if (item) {
        clickItems_->button(*item)->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied by unchecking its member.
    clickItems_->setExclusive(false);
    for (QAbstractButton* b : clickItems_->buttons()) {
        b->setChecked(false);
    }
    clickItems_->setExclusive(true);
}

void TFormParam::showAppearance(const TFont& font, TColor background) {
    PanelColor->setFont(toQFont(font));
    QPalette p = PanelColor->palette();
    p.setColor(QPalette::Window, toQColor(background, palette()));
    p.setColor(QPalette::WindowText, toQColor(font.Color, palette()));
    PanelColor->setPalette(p);
}

void TFormParam::showStart(bool on) { CheckBox_Start->setChecked(on); }

void TFormParam::showPaths(const std::string& dataFile, const std::string& reportDir) {
    Edit_DirFiles->setText(qs(dataFile));
    Edit_DirReport->setText(qs(reportDir));
}

int TFormParam::ShowModal() { return exec(); }

std::optional<FontDialogResult> TFormParam::runFontDialog(const TFont& start) { return chooseFont(this, start); }

std::optional<TColor> TFormParam::runColorDialog(TColor start) {
    const auto chosen = chooseColor(this, QColor(redOf(start), greenOf(start), blueOf(start)));
    if (!chosen) {
        return std::nullopt;
    }
    return rgbColor(static_cast<std::uint8_t>(chosen->red()), static_cast<std::uint8_t>(chosen->green()),
                    static_cast<std::uint8_t>(chosen->blue()));
}

TColor TFormParam::screenColor(TColor color) const {
    const QColor c = toQColor(color, palette());
    return rgbColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                    static_cast<std::uint8_t>(c.blue()));
}

void TFormParam::openAddress(const std::string& url) { openUrl(qs(url)); }

void TFormParam::done(int result) {
    QDialog::done(result);
    presenter_->closed();
}

void TFormParam::reject() { done(mrCancel); }

void TFormParam::showEvent(QShowEvent* event) {
    presenter_->FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QDialog::showEvent(event);
}

bool TFormParam::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelColor && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && PanelColor->rect().contains(mouse->position().toPoint())) {
            presenter_->PanelColorClick();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mnemora

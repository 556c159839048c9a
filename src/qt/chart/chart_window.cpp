#include "qt/chart/chart_window.h"

#include <algorithm>
#include <cmath>

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

#include "qt/common/look_qt.h"
#include "qt/common/message_boxes_qt.h"
#include "qt/sessions/main_window.h"

namespace mnemora {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Only what a chart file can hold goes into the note.
class NoteValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return ChartController::acceptsNoteText(input.toStdString()) ? Acceptable : Invalid;
    }
};

TColor plainColor(const QColor& c) {
    return rgbColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                    static_cast<std::uint8_t>(c.blue()));
}

}  // namespace

QColor inactiveCellColor(const QPalette& palette) {
    const TColor chosen = inactiveCellColor(plainColor(palette.color(QPalette::Disabled, QPalette::WindowText)));
    return {redOf(chosen), greenOf(chosen), blueOf(chosen)};
}

QStringList dialogNameFilters(std::string_view filter) {
    QStringList parts = qs(filter).split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    }
    return out;
}

void ChartPanelLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (reactsToClicks && rect().contains(event->position().toPoint())) {
        emit released(panel_);
    }
}

TFormEditTest::TFormEditTest(TMyHLPObject& help, ChartController::Clock clock, QWidget* parent)
    : TFormEditTest(nullptr, std::make_unique<ChartController>(std::move(clock)), help, parent) {}

TFormEditTest::TFormEditTest(ChartController& controller, TMyHLPObject& help, QWidget* parent)
    : TFormEditTest(&controller, nullptr, help, parent) {}

TFormEditTest::TFormEditTest(ChartController* shared, std::unique_ptr<ChartController> own, TMyHLPObject& help,
                             QWidget* parent)
    : QWidget(parent),
      help_(help),
      ownController_(std::move(own)),
      controller_(shared != nullptr ? shared : ownController_.get()) {
    setObjectName("FormEditTest");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont(false));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QMenuBar(this);
    bar->setObjectName("MainMenu1");
    layout->setMenuBar(bar);
    auto* panel1 = new QWidget(this);
    panel1->setObjectName("Panel1");
    panel1->setFixedSize(650, 457);
    layout->addWidget(panel1, 0, Qt::AlignLeft | Qt::AlignTop);

    createMenu(bar);
    createGrid(panel1);
    createBottomStrip(panel1);

    // The client area keeps its size whatever height the desktop's menu bar has.
    setFixedSize(652, 458 + bar->sizeHint().height());
    controller_->attach(*this);
}

TFormEditTest::~TFormEditTest() = default;

void TFormEditTest::createMenu(QMenuBar* bar) {
    auto make = [this](const char* name, const char* caption, const QKeySequence& key, bool enabled, auto handler) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setEnabled(enabled);
        addAction(a);
        connect(a, &QAction::triggered, this, [handler] { guarded(handler); });
        return a;
    };
    ActionNew = make("ActionNew", "&Создать", QKeySequence(Qt::CTRL | Qt::Key_N), true,
                     [this] { controller_->ActionNewExecute(); });
    ActionOpenFile = make("ActionOpenFile", "&Открыть файл", QKeySequence(Qt::CTRL | Qt::Key_O), true,
                          [this] { controller_->ActionOpenFileExecute(); });
    ActionSave = make("ActionSave", "&Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S), false,
                      [this] { controller_->ActionSaveExecute(); });
    ActionSaveAs = make("ActionSaveAs", "&Сохранить как...", QKeySequence(), false,
                        [this] { controller_->ActionSaveAsExecute(); });
    ActionClose = make("ActionClose", "&Закрыть", QKeySequence(), true, [this] { controller_->ActionCloseExecute(); });

    QMenu* file = bar->addMenu(QString::fromUtf8("&Файл"));
    file->setObjectName("N1");
    file->addActions({ActionNew, ActionOpenFile, ActionSave, ActionSaveAs});
    file->addSeparator();
    file->addAction(ActionClose);
    QMenu* helpMenu = bar->addMenu(QString::fromUtf8("&Помощь"));
    helpMenu->setObjectName("N8");
    QAction* n9 = helpMenu->addAction(QString::fromUtf8("&Как работать с таблицей тонов"));
    n9->setObjectName("N9");
    connect(n9, &QAction::triggered, this, [this] { guarded([this] { controller_->N9Click(); }); });
}

void TFormEditTest::createGrid(QWidget* panel1) {
    for (const ChartPanelLayout& l : chartGridLayout()) {
        auto* p = new ChartPanelLabel(l.panel, panel1);
        p->setObjectName(qs(l.name));
        p->setGeometry(l.x, l.y, l.width, l.height);
        p->setFrameStyle(QFrame::Panel | QFrame::Raised);
        p->setAlignment(Qt::AlignCenter);
        p->setAutoFillBackground(true);
        p->setText(qs(l.caption));
        if (!l.hint.empty()) {
            p->setToolTip(qs(l.hint));
        }
        if (l.helpCursor) {
            p->setCursor(Qt::WhatsThisCursor);
        }
        if (l.bold) {
            p->setFont(windowFont(true));
        }
        if (l.panel.helpContext != 0) {
            setHelpContext(p, l.panel.helpContext);
        }
        p->reactsToClicks = l.clicks;
        paint(p, clBtnFace);
        connect(p, &ChartPanelLabel::released, this,
                [this](const ChartPanel& panel) { guarded([&] { controller_->PanelMouseUp(panel); }); });
        if (l.name == "Panel2") {
            Panel2 = p;
        } else if (l.panel.tag == kHeaderPanelTag && l.panel.helpContext != 0) {
            headers_[static_cast<std::size_t>((l.panel.helpContext - kChartHelpContext) / 10)] = p;
        } else if (l.panel.cell != 0) {
            cells_[static_cast<std::size_t>(l.panel.cell)] = p;
        }
    }
}

void TFormEditTest::createBottomStrip(QWidget* panel1) {
    auto* strip = new QFrame(panel1);
    strip->setObjectName("Panel29");
    strip->setGeometry(0, 386, 649, 71);
    strip->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* label1 = new QLabel(QString::fromUtf8("Дата создания:"), strip);
    label1->setObjectName("Label1");
    label1->move(8, 8 + 3);
    label1->adjustSize();
    EditDateCreate = new QLineEdit(strip);
    EditDateCreate->setObjectName("EditDateCreate");
    EditDateCreate->setReadOnly(true);
    EditDateCreate->setFrame(false);
    EditDateCreate->setFocusPolicy(Qt::NoFocus);
    EditDateCreate->setFont(windowFont(true));
    EditDateCreate->setAutoFillBackground(true);
    QPalette p = EditDateCreate->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    EditDateCreate->setPalette(p);
    auto* label2 = new QLabel(QString::fromUtf8("Примечание:"), strip);
    label2->setObjectName("Label2");
    label2->adjustSize();
    label2->move(8, 36);
    EditPrimet = new QLineEdit(strip);
    EditPrimet->setObjectName("EditPrimet");
    EditPrimet->setFont(windowFont(true));
    EditPrimet->setEnabled(false);
    EditPrimet->setValidator(new NoteValidator(EditPrimet));
    // The fields start where the wider of the two labels leaves room.
    const int left = std::max(96, std::max(label1->x() + label1->width(), label2->x() + label2->width()) + 6);
    label2->move(left - 6 - label2->width(), 36);
    EditDateCreate->setGeometry(left, 8, 121, 21);
    EditPrimet->setGeometry(left, 32, 633 - left, 21);
    connect(EditPrimet, &QLineEdit::textEdited, this,
            [this](const QString& text) { guarded([&] { controller_->EditPrimetChange(text.toStdString()); }); });
}

void TFormEditTest::paint(QWidget* w, TColor color) { paintColor(w, toQColor(color, QGuiApplication::palette())); }


void TFormEditTest::paintColor(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, color);
    w->setPalette(p);
}

QAction* TFormEditTest::action(std::string_view name) const { return findChild<QAction*>(qs(name)); }

void TFormEditTest::showChart() {
    if (!isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
        }
    }
    show();
    raise();
    activateWindow();
}

void TFormEditTest::setCaption(const std::string& caption) { setWindowTitle(qs(caption)); }

void TFormEditTest::setCornerColor(TColor color) { paint(Panel2, color); }

void TFormEditTest::setActionEnabled(ChartAction action, bool enabled) {
    (action == ChartAction::Save ? ActionSave : ActionSaveAs)->setEnabled(enabled);
}

void TFormEditTest::setNoteEnabled(bool enabled) { EditPrimet->setEnabled(enabled); }

// A text set by the program is read from its start, however long it is.
void TFormEditTest::setNoteText(const std::string& text) {
    EditPrimet->setText(qs(text));
    EditPrimet->setCursorPosition(0);
}

void TFormEditTest::setDateText(const std::string& text) {
    EditDateCreate->setText(qs(text));
    EditDateCreate->setCursorPosition(0);
}

void TFormEditTest::cellsChanged(const TToneChart& chart) {
    const TColor inactive = inactiveCellColor(plainColor(QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText)));
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        ChartPanelLabel* cell = cells_[static_cast<std::size_t>(n)];
        const CellLook look = chartCellLook(chart, n, inactive);
        cell->setText(qs(look.text));
        paint(cell, look.color);
    }
}

ChartAnswer TFormEditTest::askQuestion(std::string_view text) {
    switch (messageBoxes().question(QuestionKind::Warning, std::string(text), {Answer::Yes, Answer::No, Answer::Cancel},
                                    0)) {
    case Answer::Yes: return ChartAnswer::Yes;
    case Answer::No: return ChartAnswer::No;
    default: return ChartAnswer::Cancel;
    }
}

void TFormEditTest::showMessage(std::string_view text) { messageBoxes().plain(std::string(text)); }

std::optional<std::string> TFormEditTest::runDialog(QFileDialog*& dialog, const ChartDialog& wanted, bool save) {
    if (dialogOverride) {
        return dialogOverride(wanted, save);
    }
    if (dialog == nullptr) {
        // Kept for the run, with the folder it was last in.
        dialog = new QFileDialog(this, qs(wanted.title));
        dialog->setObjectName(save ? "SaveDialog1" : "OpenDialog1");
        // A report folder that is not there yet would turn into a file name.
        const QString folder = qs(wanted.initialDir);
        dialog->setDirectory(!folder.isEmpty() && QDir(folder).exists() ? folder : QDir::currentPath());
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        // The filter names already show their patterns.
        dialog->setOption(QFileDialog::HideNameFilterDetails);
        dialog->setNameFilters(dialogNameFilters(wanted.filter));
        dialog->setDefaultSuffix(qs(wanted.defaultExt));
        dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        // A typed name need not exist: opening it then reports the missing file.
        dialog->setFileMode(QFileDialog::AnyFile);
    }
    offerName(dialog, qs(wanted.offeredPath));
    const int result = dialog->exec();
    // A completion list still open over the window would take the next click or key.
    for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
        if (completer->popup() != nullptr) {
            completer->popup()->hide();
        }
    }
    if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().front().toStdString();
}

void TFormEditTest::offerName(QFileDialog* dialog, const QString& lastChosen) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (lastChosen.isEmpty() || name == nullptr) {
        return;
    }
    // The dialog opens in the folder of the file last chosen in it, with that
    // file's name selected, so that a typed name replaces it.
    const QFileInfo last(lastChosen);
    if (last.dir().exists()) {
        dialog->selectFile(last.absoluteFilePath());
    }
    name->setText(last.fileName());
    QTimer::singleShot(0, name, [name] {
        name->setFocus(Qt::OtherFocusReason);
        name->selectAll();
    });
}

std::optional<std::string> TFormEditTest::runOpenDialog(const ChartDialog& dialog) {
    return runDialog(OpenDialog1, dialog, false);
}

std::optional<std::string> TFormEditTest::runSaveDialog(const ChartDialog& dialog) {
    return runDialog(SaveDialog1, dialog, true);
}

void TFormEditTest::requestHelp(int context) { help_.HelpContext(context); }

void TFormEditTest::hideWindow() { hide(); }

void TFormEditTest::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; the chart stays for the next show.
    event->accept();
}

}  // namespace mnemora

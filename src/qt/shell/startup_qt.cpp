#include "qt/shell/startup_qt.h"

#include <cmath>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMenu>
#include <QScreen>

#include "qt/chart/chart_window.h"
#include "qt/common/help_client_qt.h"
#include "qt/common/help_qt.h"
#include "qt/common/message_boxes_qt.h"
#include "core/error.h"
#include "qt/sessions/main_window.h"
#include "qt/settings/param_window.h"
#include "qt/shell/about_window.h"
#include "qt/shell/start_window.h"
#include "qt/shell/tray_qt.h"

namespace mnemora {

namespace {

int screenPixelsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

}  // namespace

MnemoraApp::MnemoraApp(std::filesystem::path storePath, HelpPlatform& helpPlatform)
    : help_(helpPlatform),
      helpKeys_(std::make_unique<HelpKeyFilter>(help_)),
      env_(screenPixelsPerInch()),
      store_(std::move(storePath)) {
    qApp->installEventFilter(helpKeys_.get());
    // Closing a window other than the main one only hides it; the program
    // ends when the main window closes, tray or no tray.
    QApplication::setQuitOnLastWindowClosed(false);
    // A store file that cannot be read is moved aside; the user hears where it went.
    store_.onDamaged = [](const DamagedStore& damaged) { messageBoxes().plain(damagedStoreMessage(damaged)); };
    controller_ = std::make_unique<ApplicationController>(*this, store_, env_, help_);
}

MnemoraApp::~MnemoraApp() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(helpKeys_.get());
    }
}

MainPresenter& MnemoraApp::createMainWindow(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random) {
    form_ = std::make_unique<TForm1>(settings, help, random);
    return form_->presenter();
}

// What the user cannot see yet is not built yet: the hidden windows get
// their widgets, and the fonts those need, when first shown.
ParamPresenter& MnemoraApp::createParamWindow(TParamValues& values, RegistryBackend& store,
                                              const SettingsEnvironment& env, TMyHLPObject& help) {
    paramPresenter_ = std::make_unique<ParamPresenter>(values, store, env, help);
    return *paramPresenter_;
}

AboutPresenter& MnemoraApp::createAboutWindow() { return aboutPresenter_; }

StartPresenter& MnemoraApp::createStartWindow(TParamValues& values, RegistryBackend& store, TMyHLPObject& help) {
    startPresenter_ = std::make_unique<StartPresenter>(values, store, help);
    return *startPresenter_;
}

ChartController& MnemoraApp::createChartWindow(TMyHLPObject& /*help*/) {
    chartController_ = std::make_unique<ChartController>();
    return *chartController_;
}

TFormParam& MnemoraApp::paramWindow() {
    if (!formParam_) {
        formParam_ = std::make_unique<TFormParam>(*paramPresenter_);
    }
    return *formParam_;
}

TFormAbout& MnemoraApp::aboutWindow() {
    if (!formAbout_) {
        formAbout_ = std::make_unique<TFormAbout>(aboutPresenter_);
    }
    return *formAbout_;
}

TFormStart& MnemoraApp::startWindow() {
    if (!formStart_) {
        formStart_ = std::make_unique<TFormStart>(*startPresenter_);
    }
    return *formStart_;
}

TFormEditTest& MnemoraApp::chartWindow() {
    if (!formEditTest_) {
        formEditTest_ = std::make_unique<TFormEditTest>(*chartController_, help_);
    }
    return *formEditTest_;
}

TrayShell& MnemoraApp::createTrayShell() {
    trayShell_ = std::make_unique<QtTrayShell>(*form_, *form_->trayPopup());
    return *trayShell_;
}

void MnemoraApp::attachTray(TrayController& tray) { trayShell_->attach(tray); }

void MnemoraApp::showParamWindow() { paramWindow().ShowModal(); }

void MnemoraApp::showAboutWindow() { aboutWindow().ShowModal(); }

void MnemoraApp::showChartWindow() { chartWindow().showChart(); }

// Built and shown from the first turn of the event loop: the tray icon,
// added just before, reaches the desktop without waiting for the window's
// widgets and fonts.
void MnemoraApp::showStartWindow() {
    // Queued on the main window, which this run owns: a run ended before
    // the loop turned (a test's) drops the call with it.
    // In front: where no tray took the main window, that one is on screen too.
    QMetaObject::invokeMethod(
        form_.get(),
        [this] {
            TFormStart& start = startWindow();
            start.show();
            start.raise();
            start.activateWindow();
        },
        Qt::QueuedConnection);
}

void MnemoraApp::popupTrayMenu(MenuPoint at) { form_->trayPopup()->exec(QPoint(at.x, at.y)); }

void MnemoraApp::quit() { QCoreApplication::quit(); }

std::unique_ptr<MnemoraApp> startMnemora(std::filesystem::path storePath, HelpPlatform& helpPlatform) {
    try {
        return std::make_unique<MnemoraApp>(std::move(storePath), helpPlatform);
    } catch (const Error& failure) {
        messageBoxes().fatal(formatFatalError(failure.kind(), "mnemora",
                                              reinterpret_cast<std::uintptr_t>(&startMnemora), failure.what()));
        return nullptr;
    }
}

int runMnemora(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("mnemora");
    app.setOrganizationName("Vantero");
    // Matches the installed desktop entry, so that a Wayland compositor
    // shows its name and icon for our windows.
    QGuiApplication::setDesktopFileName("org.vantero.mnemora");
    // Every size the desktop may ask for, drawn for that size rather than scaled.
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/%1x%1/mnemora.png").arg(side), QSize(side, side));
    }
    QApplication::setWindowIcon(icon);
    // The file dialogs speak the user's language; our own boxes set their
    // button texts themselves.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    // Every box of the program is drawn by Qt from here on.
    static QtMessageBoxes qtBoxes;
    setFrontEndMessageBoxes(&qtBoxes);
    ViewerHelpPlatform helpPlatform;
    const auto run = startMnemora(FileRegistryStore::defaultPath(), helpPlatform);
    return run ? QApplication::exec() : 1;
}

}  // namespace mnemora

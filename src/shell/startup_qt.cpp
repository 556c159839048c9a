#include "shell/startup_qt.h"

#include <cmath>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMenu>
#include <QScreen>

#include "chart/chart_window.h"
#include "common/help_client_qt.h"
#include "common/help_qt.h"
#include "common/message_boxes_qt.h"
#include "core/error.h"
#include "sessions/main_window.h"
#include "settings/param_window.h"
#include "shell/about_window.h"
#include "shell/start_window.h"
#include "shell/tray_qt.h"

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
      ppi_(screenPixelsPerInch()),
      values_(ppi_),
      env_(ppi_),
      store_(std::move(storePath)),
      sessionSettings_(values_, store_, env_) {
    qApp->installEventFilter(helpKeys_.get());
    // Closing a window other than the main one only hides it; the program
    // ends when the main window closes, tray or no tray.
    QApplication::setQuitOnLastWindowClosed(false);

    form_ = std::make_unique<TForm1>(sessionSettings_, help_, random_);
    // The windows come into being in this order, all hidden.
    formParam_ = std::make_unique<TFormParam>(values_, store_, env_, help_);
    formAbout_ = std::make_unique<TFormAbout>();
    formStart_ = std::make_unique<TFormStart>(values_, store_, help_);
    formEditTest_ = std::make_unique<TFormEditTest>(help_);
    trayShell_ = std::make_unique<QtTrayShell>(*form_, *form_->trayPopup());
    tray_ = std::make_unique<TrayController>(
        *trayShell_, [this] { return values_.Click; }, [this] { application_.Restore(); });
    trayShell_->attach(*tray_);

    application_.OnMinimize = [this] { tray_->ApplicationEvents1Minimize(MinimizeCause::Application); };
    application_.OnRestore = [this] { tray_->ApplicationEvents1Restore(); };
    form_->onMinimized = [this] { application_.Minimize(); };
    form_->onRestored = [this] { application_.Restore(); };
    form_->onTrayEnabled = [this] { tray_->setTrayEnabled(); };
    form_->trayHoldsWindow = [this] { return tray_->trayIconShown(); };
    form_->onFormClose = [this] {
        tray_->FormClose();
        QCoreApplication::quit();
    };

    form_->onEditTest = [this] { formEditTest_->showChart(); };
    form_->onParams = [this] { formParam_->ShowModal(); };
    form_->onAbout = [this] { formAbout_->ShowModal(); };
    formParam_->onClosed = [this] { ApplyAppearance(values_, *form_); };
    formStart_->popupTrayMenu = [this](int x, int y) { form_->trayPopup()->exec(QPoint(x, y)); };
    form_->closeQuery = [this] { return formEditTest_->controller().QuerySave(); };

    // A store file that cannot be read is moved aside; the user hears where it went.
    store_.onDamaged = [](const DamagedStore& damaged) { messageBoxes().plain(damagedStoreMessage(damaged)); };
    LoadSettings(values_, store_, env_, *form_);
    // The dialogs take the report folder once, as loaded now.
    formEditTest_->controller().setReportDir(values_.ReportDir);
    tray_->ApplicationEvents1Minimize(MinimizeCause::StartUp);
    if (values_.Start) {
        formStart_->show();
    }
}

MnemoraApp::~MnemoraApp() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(helpKeys_.get());
    }
}

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
    ViewerHelpPlatform helpPlatform;
    const auto run = startMnemora(FileRegistryStore::defaultPath(), helpPlatform);
    return run ? QApplication::exec() : 1;
}

}  // namespace mnemora

#include "qt/help/help_viewer_qt.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

#include "core/error.h"
#include "help/help_watchdog.h"
#include "qt/help/help_window.h"

namespace mnemora {

namespace {

// A window thread that has not come back to its event loop for this long is
// stuck in a help file; the viewer ends itself and Mnemora says so.
constexpr auto kStallLimit = std::chrono::seconds(10);
constexpr int kStalledExitCode = 3;
// A viewer whose window stays closed this long ends, so that an idle
// Mnemora does not keep a second process in memory.
constexpr int kIdleExitMs = 60 * 1000;

// Whole lines straight to the descriptor: no stdio buffer that a stalled or
// crashing viewer would never flush.
void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Every event the window thread handles is work that must end in time: the
// watchdog is armed while one is being handled and disarmed when the thread
// goes back to waiting. An idle viewer thus wakes nobody.
class WatchedApplication : public QApplication {
public:
    WatchedApplication(int& argc, char** argv, Watchdog& watchdog) : QApplication(argc, argv), watchdog_(watchdog) {
        connect(eventDispatcher(), &QAbstractEventDispatcher::aboutToBlock, this, [this] { watchdog_.disarm(); });
    }

    bool notify(QObject* receiver, QEvent* event) override {
        watchdog_.arm();
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        if (--depth_ == 0) {
            watchdog_.disarm();
        }
        return handled;
    }

private:
    Watchdog& watchdog_;
    int depth_ = 0;
};

// A fault inside the viewer says so before the viewer ends, so that Mnemora
// can name the help file it was reading; a signal sent from outside (kill
// -TERM, -KILL, even -SEGV) says nothing and ends a viewer Mnemora simply
// starts again.
void onFault(int signal, siginfo_t* info, void*) {
    if (info == nullptr || info->si_code > 0 || info->si_pid == ::getpid()) {
        static constexpr char kLine[] = "\ncrashed\n";  // after whatever half line was being written
        [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, kLine, sizeof kLine - 1);
    }
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void tellFaults() {
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) {
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

ClosedWindowTimer::ClosedWindowTimer(QWidget& window, int idleMs, std::function<void()> onIdle, QObject* parent)
    : QObject(parent), window_(window), onIdle_(std::move(onIdle)) {
    timer_.setSingleShot(true);
    timer_.setInterval(idleMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (!window_.isVisible()) {
            onIdle_();
        }
    });
    window_.installEventFilter(this);
    timer_.start();  // not shown yet: a viewer never asked for anything ends too
}

bool ClosedWindowTimer::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        // Minimised is still visible; only a closed window counts.
        QTimer::singleShot(0, this, [this] {
            if (window_.isVisible()) {
                timer_.stop();
            } else if (!timer_.isActive()) {
                timer_.start();
            }
        });
    }
    return false;
}

HelpViewer::HelpViewer(Send send, QObject* parent)
    : QObject(parent), send_(std::move(send)), window_(std::make_unique<HelpWindow>()) {
    connect(window_.get(), &HelpWindow::pageShown, this, [this](const QString& path) {
        send_(encodeViewerReply({ViewerReplyKind::Page, 0, path.toStdString()}));
    });
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::handleLine(std::string_view line) {
    if (const auto request = parseShowRequest(line)) {
        show(*request);
    } else {
        send_(encodeViewerReply(malformedRequestReply(line)));
    }
}

void HelpViewer::handleOverlongLine(std::string_view lineStart) {
    send_(encodeViewerReply(malformedRequestReply(lineStart)));
}

void HelpViewer::show(const ShowRequest& request) {
    ViewerReply reply{ViewerReplyKind::Shown, request.seq, {}};
    try {
        window_->placeBeside(request.nearFrame, request.nearInner);
        if (window_->showTopic(request.file, request.context)) {
            reply.text = window_->browser().source().path().toStdString();
        } else {
            reply.kind = ViewerReplyKind::Notice;
            reply.text = noHelpTopicText(request.file, request.context);
        }
    } catch (const std::exception& failure) {
        reply.kind = ViewerReplyKind::Error;
        reply.text = failure.what();
    }
    send_(encodeViewerReply(reply));
}

LineReader::LineReader(int fd, std::function<void(std::string_view)> onLine, std::function<void()> onEnd,
                       std::size_t maxLine, QObject* parent)
    : QObject(parent), fd_(fd), onLine_(std::move(onLine)), onEnd_(std::move(onEnd)), maxLine_(maxLine) {
    notifier_ = new QSocketNotifier(static_cast<qintptr>(fd_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readSome(); });
}

LineReader::~LineReader() = default;

void LineReader::readSome() {
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        notifier_->setEnabled(false);
        onEnd_();
        return;
    }
    std::string_view chunk(buffer, static_cast<std::size_t>(n));
    while (!chunk.empty()) {
        const std::size_t newline = chunk.find('\n');
        const std::string_view piece = chunk.substr(0, newline);
        if (!dropping_) {
            pending_.append(piece);
            if (pending_.size() > maxLine_) {
                droppedStart_ = pending_.substr(0, kOverlongStart);
                pending_.clear();
                dropping_ = true;
            }
        }
        if (newline == std::string_view::npos) {
            break;
        }
        if (!dropping_) {
            const std::string line = std::move(pending_);
            pending_.clear();
            onLine_(line);
        } else if (onOverlong) {
            onOverlong(droppedStart_);
        }
        dropping_ = false;
        chunk.remove_prefix(newline + 1);
    }
}

int runHelpViewer(int argc, char** argv) {
    // Mnemora gone: the end of the input says so; a write to the closed pipe
    // must not end the viewer first.
    std::signal(SIGPIPE, SIG_IGN);
    tellFaults();
    Watchdog watchdog(kStallLimit, [] {
        writeAll(STDOUT_FILENO, encodeViewerReply({ViewerReplyKind::Stalled, 0, {}}));
        ::_exit(kStalledExitCode);
    });
    WatchedApplication app(argc, argv, watchdog);
    app.setApplicationName("mnemora-help");
    app.setOrganizationName("Vantero");
    QGuiApplication::setDesktopFileName("org.vantero.mnemora");
    // The installed icon where there is one; the viewer carries no pictures of its own.
    QApplication::setWindowIcon(QIcon::fromTheme("mnemora"));
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList args = QCoreApplication::arguments();
    int idleMs = kIdleExitMs;
    if (const auto at = args.indexOf("--idle-exit-ms"); at > 0 && at + 1 < args.size()) {
        bool ok = false;
        const int ms = args[at + 1].toInt(&ok);
        idleMs = ok && ms >= 0 ? ms : idleMs;
        args.remove(at, 2);
    }
    const bool byItself = args.size() >= 3;

    const auto send = [](const std::string& line) { writeAll(STDOUT_FILENO, line); };
    HelpViewer viewer(send);
    ClosedWindowTimer closedExit(viewer.window(), byItself ? 0 : idleMs, [] {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, 0) <= 0) {  // else a request came just now that shows the window again
            QCoreApplication::exit(0);
        }
    });
    LineReader input(STDIN_FILENO, [&viewer](std::string_view line) { viewer.handleLine(line); },
                     [byItself] {
                         if (!byItself) {
                             QCoreApplication::quit();
                         }
                     });
    input.onOverlong = [&viewer](std::string_view start) { viewer.handleOverlongLine(start); };
    if (byItself) {
        bool ok = false;
        const int context = args[2].toInt(&ok);
        viewer.show(ShowRequest{0, ok ? context : 0, {}, {}, args[1].toStdString()});
    }
    return QApplication::exec();
}

}  // namespace mnemora

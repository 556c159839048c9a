#include "help/help_viewer_qt.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

#include "core/error.h"
#include "help/help_watchdog.h"
#include "help/help_window.h"

namespace mnemora {

namespace {

// A window thread that has not come back to its event loop for this long is
// stuck in a help file; the viewer ends itself and Mnemora says so.
constexpr auto kStallLimit = std::chrono::seconds(10);
constexpr int kStalledExitCode = 3;

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

}  // namespace

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
    }
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
        }
        dropping_ = false;
        chunk.remove_prefix(newline + 1);
    }
}

int runHelpViewer(int argc, char** argv) {
    // Mnemora gone: the end of the input says so; a write to the closed pipe
    // must not end the viewer first.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    app.setApplicationName("mnemora-help");
    app.setOrganizationName("Vantero");
    QGuiApplication::setDesktopFileName("org.vantero.mnemora");
    // The installed icon where there is one; the viewer carries no pictures of its own.
    QApplication::setWindowIcon(QIcon::fromTheme("mnemora"));
    QApplication::setQuitOnLastWindowClosed(false);

    const auto send = [](const std::string& line) { writeAll(STDOUT_FILENO, line); };
    Watchdog watchdog(kStallLimit, [] {
        writeAll(STDOUT_FILENO, encodeViewerReply({ViewerReplyKind::Stalled, 0, {}}));
        ::_exit(kStalledExitCode);
    });
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&watchdog] { watchdog.beat(); });
    heartbeat.start(250);

    HelpViewer viewer(send);
    const QStringList args = QCoreApplication::arguments();
    const bool byItself = args.size() >= 3;
    LineReader input(STDIN_FILENO, [&viewer](std::string_view line) { viewer.handleLine(line); },
                     [byItself] {
                         if (!byItself) {
                             QCoreApplication::quit();
                         }
                     });
    if (byItself) {
        bool ok = false;
        const int context = args[2].toInt(&ok);
        viewer.show(ShowRequest{0, ok ? context : 0, {}, {}, args[1].toStdString()});
    }
    return QApplication::exec();
}

}  // namespace mnemora

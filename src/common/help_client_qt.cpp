#include "common/help_client_qt.h"

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

#include "common/message_boxes_qt.h"

namespace mnemora {

namespace {

constexpr qint64 kMaxReplyLine = qint64{64} * 1024;

HelpRect toHelpRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// The window the request came from, with and without its frame, in screen
// pixels; empty when none of Mnemora's windows is active (the tray menu, say).
std::pair<HelpRect, HelpRect> askingWindow() {
    QWidget* asker = QApplication::activeModalWidget();
    if (asker == nullptr) {
        asker = QApplication::activeWindow();
    }
    if (asker == nullptr || !asker->isVisible()) {
        return {};
    }
    return {toHelpRect(asker->frameGeometry()), toHelpRect(asker->geometry())};
}

}  // namespace

std::string helpViewerCrashedText(const std::filesystem::path& file) {
    return "Окно справки закрылось аварийно при чтении файла справки " + file.string() +
           ": файл, видимо, повреждён. Следующий вызов справки откроет окно снова.";
}

std::string helpViewerStalledText(const std::filesystem::path& file) {
    return "Окно справки перестало отвечать при чтении файла справки " + file.string() +
           " и было закрыто: файл, видимо, повреждён. Следующий вызов справки откроет окно снова.";
}

std::string helpViewerNotStartedText(const QString& program) {
    return "Не удалось запустить окно справки " + program.toStdString() + ".";
}

HelpViewerCommand HelpViewerCommand::forProgramIn(const QString& programDir) {
    const QString beside = programDir + "/mnemora-help";
    const QString installed = QDir::cleanPath(programDir + "/" MNEMORA_VIEWER_DIR_FROM_BIN "/mnemora-help");
    return {QFileInfo(installed).isExecutable() ? installed : beside, {}};
}

HelpViewerCommand HelpViewerCommand::forThisProgram() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) {
        dir = QString::fromStdString(HelpSearchPlaces::forThisProcess().executableDir.string());
    }
    return forProgramIn(dir);
}

ViewerHelpPlatform::ViewerHelpPlatform(HelpSearchPlaces places, HelpViewerCommand command,
                                       std::chrono::milliseconds replyDeadline)
    : places_(std::move(places)), command_(std::move(command)), replyDeadline_(replyDeadline) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { answerOverdue(); });
}

ViewerHelpPlatform::~ViewerHelpPlatform() {
    if (process_ == nullptr) {
        return;
    }
    process_->disconnect(this);
    // The end of its input tells the viewer to close; one that does not is ended.
    process_->closeWriteChannel();
    if (!process_->waitForFinished(1000)) {
        process_->kill();
        process_->waitForFinished(1000);
    }
    delete process_;
}

bool ViewerHelpPlatform::shiftDown() const {
    return (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0;
}

void ViewerHelpPlatform::plainMessage(const std::string& text) { messageBoxes().plain(text); }

void ViewerHelpPlatform::htmlHelp(std::string_view file, std::uint32_t, std::int32_t data) {
    const HelpFileSearch search = findHelpFile(places_, file);
    if (!search.found) {
        messageBoxes().plain(helpFileNotFoundText(file, search.searched));
        return;
    }
    if (process_ == nullptr) {
        startViewer();
    }
    lastFile_ = *search.found;
    const std::uint64_t seq = nextSeq_++;
    const auto [frame, inner] = askingWindow();
    const std::string line = encodeShowRequest({seq, data, frame, inner, search.found->string()});
    // Buffered by QProcess and written as the viewer takes it: never waits.
    process_->write(line.data(), static_cast<qint64>(line.size()));
    pending_.push_back({seq, std::chrono::steady_clock::now()});
    armDeadline();
}

void ViewerHelpPlatform::startViewer() {
    process_ = new QProcess(this);
    // What the viewer says on its error channel goes where Mnemora's goes.
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process_, &QProcess::readyReadStandardOutput, this, [this] { readReplies(); });
    connect(process_, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) { viewerEnded(exitCode, status); });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            viewerFailedToStart();
        }
    });
    viewerStalled_ = false;
    ++starts_;
    process_->start(command_.program, command_.arguments);
}

void ViewerHelpPlatform::readReplies() {
    while (process_ != nullptr && process_->canReadLine()) {
        const QByteArray line = process_->readLine(kMaxReplyLine);
        const auto reply = parseViewerReply(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
        if (!reply) {
            continue;
        }
        switch (reply->kind) {
            case ViewerReplyKind::Shown:
            case ViewerReplyKind::Error:
            case ViewerReplyKind::Notice:
                // Answers come in the order of the requests.
                while (!pending_.empty() && pending_.front().seq <= reply->seq) {
                    pending_.pop_front();
                }
                armDeadline();
                if (reply->kind == ViewerReplyKind::Error) {
                    tell(Box::Error, withFullStop(reply->text));
                } else if (reply->kind == ViewerReplyKind::Notice) {
                    tell(Box::Plain, reply->text);
                }
                break;
            case ViewerReplyKind::Page:
                break;
            case ViewerReplyKind::Stalled:
                viewerStalled_ = true;
                break;
        }
        if (onReply) {
            onReply(*reply);
        }
    }
}

void ViewerHelpPlatform::armDeadline() {
    if (pending_.empty()) {
        deadline_.stop();
        return;
    }
    const auto due = pending_.front().sent + replyDeadline_ - std::chrono::steady_clock::now();
    const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(due).count();
    deadline_.start(static_cast<int>(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())));
}

void ViewerHelpPlatform::answerOverdue() {
    if (process_ == nullptr || pending_.empty()) {
        return;
    }
    // The viewer is stuck: end it; its end tells the user.
    viewerStalled_ = true;
    process_->kill();
}

void ViewerHelpPlatform::viewerEnded(int exitCode, QProcess::ExitStatus status) {
    readReplies();  // what it managed to say before it ended
    const bool failed = status == QProcess::CrashExit || exitCode != 0 || viewerStalled_;
    const bool stalled = viewerStalled_;
    forgetViewer();
    if (failed && !lastFile_.empty()) {
        tell(Box::Plain, stalled ? helpViewerStalledText(lastFile_) : helpViewerCrashedText(lastFile_));
    }
}

void ViewerHelpPlatform::viewerFailedToStart() {
    forgetViewer();
    tell(Box::Plain, helpViewerNotStartedText(command_.program));
}

void ViewerHelpPlatform::forgetViewer() {
    pending_.clear();
    deadline_.stop();
    if (process_ != nullptr) {
        process_->disconnect(this);
        process_->deleteLater();
        process_ = nullptr;
    }
}

void ViewerHelpPlatform::tell(Box box, std::string text) {
    // The boxes are modal: one at a time, each from the event loop, never
    // from inside the handler of a reply.
    boxes_.emplace_back(box, std::move(text));
    if (!showingBox_) {
        showingBox_ = true;
        QTimer::singleShot(0, this, [this] { showNextBox(); });
    }
}

void ViewerHelpPlatform::showNextBox() {
    while (!boxes_.empty()) {
        auto [box, text] = std::move(boxes_.front());
        boxes_.pop_front();
        if (box == Box::Error) {
            messageBoxes().error(text);
        } else {
            messageBoxes().plain(text);
        }
    }
    showingBox_ = false;
}

}  // namespace mnemora

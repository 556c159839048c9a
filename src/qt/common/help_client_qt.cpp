#include "qt/common/help_client_qt.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

#include "qt/common/message_boxes_qt.h"

namespace mnemora {

namespace {

// Longer than any reply of a sound help file (a page path, a message); a
// longer one is dropped whole, its start kept to know what it answered.
constexpr std::size_t kMaxReplyLine = std::size_t{1} << 20;
constexpr std::size_t kReplyStartKept = 64;

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
    pending_.push_back({seq, std::chrono::steady_clock::now(), line});
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
    viewerCrashed_ = false;
    replyLine_.clear();
    droppingReply_ = false;
    ++starts_;
    process_->start(command_.program, command_.arguments);
}

void ViewerHelpPlatform::readReplies() {
    // Whole lines however the pipe cuts them; QProcess's own readLine would
    // end a long line at its size limit and take the rest for a new reply.
    while (process_ != nullptr) {
        const QByteArray chunk = process_->read(qint64{64} * 1024);
        if (chunk.isEmpty()) {
            return;
        }
        std::string_view rest(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        while (!rest.empty() && process_ != nullptr) {
            const std::size_t newline = rest.find('\n');
            if (!droppingReply_) {
                replyLine_.append(rest.substr(0, newline));
                if (replyLine_.size() > kMaxReplyLine) {
                    replyLine_.resize(kReplyStartKept);
                    droppingReply_ = true;
                }
            }
            if (newline == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(newline + 1);
            const std::string line = std::move(replyLine_);
            replyLine_.clear();
            if (droppingReply_) {
                droppingReply_ = false;
                answered(replySeqOf(line));  // its text is lost, but it answered
            } else {
                takeLine(line);
            }
        }
    }
}

void ViewerHelpPlatform::answered(std::uint64_t seq) {
    // Answers come in the order of the requests.
    while (!pending_.empty() && pending_.front().seq <= seq) {
        pending_.pop_front();
    }
    armDeadline();
}

void ViewerHelpPlatform::takeLine(std::string_view line) {
    const auto reply = parseViewerReply(line);
    if (!reply) {
        return;
    }
    switch (reply->kind) {
        case ViewerReplyKind::Shown:
        case ViewerReplyKind::Error:
        case ViewerReplyKind::Notice:
            answered(reply->seq);
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
        case ViewerReplyKind::Crashed:
            viewerCrashed_ = true;
            break;
    }
    if (onReply) {
        onReply(*reply);
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
    const bool ended = status == QProcess::NormalExit && exitCode == 0;
    // Only a viewer that was reading the help file when it failed gives
    // reason to suspect the file. One ended from outside while idle (kill
    // -TERM, a session's end) is simply started again at the next request.
    const bool stalled = viewerStalled_;
    const bool readingFile = stalled || viewerCrashed_ || (!ended && !pending_.empty());
    // A viewer that ended itself, its window long closed, just as a request
    // went out: the request goes to a new viewer, once.
    std::vector<std::string> resend;
    if (ended && !readingFile) {
        for (const Pending& p : pending_) {
            if (!p.resent) {
                resend.push_back(p.line);
            }
        }
    }
    forgetViewer();
    if (readingFile && !lastFile_.empty()) {
        tell(Box::Plain, stalled ? helpViewerStalledText(lastFile_) : helpViewerCrashedText(lastFile_));
    }
    if (!resend.empty()) {
        startViewer();
        for (std::string& line : resend) {
            process_->write(line.data(), static_cast<qint64>(line.size()));
            const auto seq = parseShowRequest(line);
            pending_.push_back({seq ? seq->seq : 0, std::chrono::steady_clock::now(), std::move(line), true});
        }
        armDeadline();
    }
}

void ViewerHelpPlatform::viewerFailedToStart() {
    forgetViewer();
    tell(Box::Plain, helpViewerNotStartedText(command_.program));
}

void ViewerHelpPlatform::forgetViewer() {
    pending_.clear();
    replyLine_.clear();
    droppingReply_ = false;
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

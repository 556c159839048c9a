#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>

#include "common/help_hook.h"
#include "help/help_locator.h"
#include "help/help_protocol.h"

namespace mnemora {

// How Mnemora starts its help viewer; tests give a stand-in.
struct HelpViewerCommand {
    QString program;
    QStringList arguments;

    // "mnemora-help" in the private folder of the install that holds the
    // program in `programDir` (<prefix>/libexec/mnemora for <prefix>/bin):
    // the viewer is no command for users to run. Else the one beside the
    // program (the build tree), also where there is none, so that the
    // failure names it. The install's own comes first: an older install put
    // a viewer into bin/, and nothing removes it.
    static HelpViewerCommand forProgramIn(const QString& programDir);
    static HelpViewerCommand forThisProgram();
};

// Help on Linux: the help window is a process of its own (mnemora-help), so
// that nothing a help file does to the reader, not a crash, not an endless
// loop, not a modal window of Mnemora, touches Mnemora itself. A request
// finds "vantero.chm", hands "show this topic beside this window" to the
// viewer and returns at once, whether the viewer is busy or not. A viewer
// that died is started again at the next request; one that does not answer
// a request in time is ended. A viewer that fails while reading a help file
// is told in a message that names the file; one ended from outside while
// idle, or one that ended itself after its window had been closed for a
// while, is simply started again at the next request. Mnemora goes on.
class ViewerHelpPlatform : public QObject, public HelpPlatform {
public:
    explicit ViewerHelpPlatform(HelpSearchPlaces places = HelpSearchPlaces::forThisProcess(),
                                HelpViewerCommand command = HelpViewerCommand::forThisProgram(),
                                std::chrono::milliseconds replyDeadline = std::chrono::seconds(20));
    ~ViewerHelpPlatform() override;

    [[nodiscard]] bool shiftDown() const override;
    void plainMessage(const std::string& text) override;
    void htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) override;

    // How many times a viewer was started, and whether one runs now.
    [[nodiscard]] int starts() const { return starts_; }
    [[nodiscard]] bool viewerRunning() const { return process_ != nullptr && process_->state() != QProcess::NotRunning; }
    [[nodiscard]] qint64 viewerPid() const { return process_ != nullptr ? process_->processId() : 0; }

    // Each line the viewer sends, once it has been acted on; tests watch here.
    std::function<void(const ViewerReply&)> onReply;

private:
    enum class Box { Plain, Error };
    void startViewer();
    void readReplies();
    void takeLine(std::string_view line);
    void answered(std::uint64_t seq);
    void viewerEnded(int exitCode, QProcess::ExitStatus status);
    void viewerFailedToStart();
    void answerOverdue();
    void armDeadline();
    void forgetViewer();
    void tell(Box box, std::string text);
    void showNextBox();

    HelpSearchPlaces places_;
    HelpViewerCommand command_;
    std::chrono::milliseconds replyDeadline_;
    QProcess* process_ = nullptr;
    int starts_ = 0;
    std::uint64_t nextSeq_ = 1;
    // Requests sent and not yet answered, oldest first, with when they went.
    struct Pending {
        std::uint64_t seq;
        std::chrono::steady_clock::time_point sent;
        std::string line;
        bool resent = false;
    };
    std::deque<Pending> pending_;
    // The part of a reply line read so far; a line longer than the bound is
    // dropped, keeping only its start.
    std::string replyLine_;
    bool droppingReply_ = false;
    QTimer deadline_;
    std::filesystem::path lastFile_;
    bool viewerStalled_ = false;  // it said so, or we ended it for not answering
    bool viewerCrashed_ = false;  // it said a fault inside it ends it
    std::deque<std::pair<Box, std::string>> boxes_;
    bool showingBox_ = false;
};

// The messages for a viewer that ended while reading a help file.
std::string helpViewerCrashedText(const std::filesystem::path& file);
std::string helpViewerStalledText(const std::filesystem::path& file);
std::string helpViewerNotStartedText(const QString& program);

}  // namespace mnemora

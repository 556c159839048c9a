#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "help/help_protocol.h"

class QSocketNotifier;
class QWidget;

namespace mnemora {

class HelpWindow;

// The help viewer's side of the conversation with Mnemora: each request line
// shows a topic in the one help window and is answered with one reply line;
// every page the window goes to is reported too. A help file that cannot be
// read is answered with the error, and the viewer goes on.
class HelpViewer : public QObject {
public:
    using Send = std::function<void(const std::string& line)>;
    explicit HelpViewer(Send send, QObject* parent = nullptr);
    ~HelpViewer() override;

    // One line from Mnemora; a line that is not a well-formed request is
    // answered with an error at once, so that Mnemora never waits for it.
    void handleLine(std::string_view line);
    // A line too long to keep, known by its start.
    void handleOverlongLine(std::string_view lineStart);
    void show(const ShowRequest& request);

    HelpWindow& window() { return *window_; }

private:
    Send send_;
    std::unique_ptr<HelpWindow> window_;
};

// Reads lines from a file descriptor (the viewer's standard input) as they
// arrive, without ever blocking the window. A line longer than maxLine is
// dropped whole; onOverlong, where given, hears of it with the line's first
// kOverlongStart bytes.
class LineReader : public QObject {
public:
    static constexpr std::size_t kOverlongStart = 64;

    LineReader(int fd, std::function<void(std::string_view)> onLine, std::function<void()> onEnd,
               std::size_t maxLine = std::size_t{64} * 1024, QObject* parent = nullptr);
    ~LineReader() override;

    std::function<void(std::string_view)> onOverlong;

private:
    void readSome();

    int fd_;
    std::function<void(std::string_view)> onLine_;
    std::function<void()> onEnd_;
    std::size_t maxLine_;
    std::string pending_;
    bool dropping_ = false;
    std::string droppedStart_;
    QSocketNotifier* notifier_ = nullptr;
};

// Calls onIdle once the window has stayed closed (hidden, not minimised)
// for idleMs, and again each time it is closed that long afresh; the window
// counts as closed until it is first shown.
class ClosedWindowTimer : public QObject {
public:
    ClosedWindowTimer(QWidget& window, int idleMs, std::function<void()> onIdle, QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::function<void()> onIdle_;
    QTimer timer_;
};

// Runs the viewer: requests on standard input, replies on standard output,
// until the input ends, or until its window has been closed for a while
// (Mnemora starts it again at the next request). With a file and a number as
// arguments it first shows that topic by itself (to look at a help file
// without Mnemora), and ends when that window is closed. "--idle-exit-ms N"
// sets how long a closed window waits before the viewer ends.
int runHelpViewer(int argc, char** argv);

}  // namespace mnemora

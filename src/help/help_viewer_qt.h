#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "help/help_protocol.h"

class QSocketNotifier;

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

    // One line from Mnemora; a line that is not a request is ignored.
    void handleLine(std::string_view line);
    void show(const ShowRequest& request);

    HelpWindow& window() { return *window_; }

private:
    Send send_;
    std::unique_ptr<HelpWindow> window_;
};

// Reads lines from a file descriptor (the viewer's standard input) as they
// arrive, without ever blocking the window. A line longer than maxLine is
// dropped whole.
class LineReader : public QObject {
public:
    LineReader(int fd, std::function<void(std::string_view)> onLine, std::function<void()> onEnd,
               std::size_t maxLine = std::size_t{64} * 1024, QObject* parent = nullptr);
    ~LineReader() override;

private:
    void readSome();

    int fd_;
    std::function<void(std::string_view)> onLine_;
    std::function<void()> onEnd_;
    std::size_t maxLine_;
    std::string pending_;
    bool dropping_ = false;
    QSocketNotifier* notifier_ = nullptr;
};

// Runs the viewer: requests on standard input, replies on standard output,
// until the input ends. With a file and a number as arguments it first shows
// that topic by itself (to look at a help file without Mnemora).
int runHelpViewer(int argc, char** argv);

}  // namespace mnemora

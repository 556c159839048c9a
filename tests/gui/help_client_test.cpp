// Mnemora's side of the help viewer: requests never wait, and a viewer that
// crashes, hangs or cannot start never takes Mnemora with it. Stand-in
// viewers (small shell scripts) play each misbehaviour; the real viewer
// shows that the conversation works end to end.
#include "qt/common/help_client_qt.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QTest>
#include <QWidget>
#include <chrono>

#include "gui_support.h"
#include "qt/help/help_viewer_qt.h"
#include "help_project.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

HelpViewerCommand shell(const QString& script) { return {"/bin/sh", {"-c", script}}; }

HelpViewerCommand realViewer() { return {MNEMORA_HELP_VIEWER, {}}; }

class HelpClientTest : public ::testing::Test {
protected:
    HelpClientTest() {
        fs::create_directories(dir / "bin");
        fs::create_directories(dir / "cwd");
        test::writeBytes(file, "stands in for a help file");
    }

    HelpSearchPlaces places() const {
        return {dir / "bin", dir / "cwd", [](const char*) { return std::optional<std::string>(); }};
    }

    // Lets the event loop run until `done` holds or the time is up.
    static bool waitFor(const std::function<bool()>& done, int millis = 15000) {
        return QTest::qWaitFor(done, millis);
    }

    QApplication& app = test::qtApp();
    test::TempDir dir;
    const fs::path file = dir / "cwd" / "vantero.chm";
    test::RecordingBoxes boxes;
};

TEST_F(HelpClientTest, RequestsReturnAtOnceWhileTheViewerIsBusy) {
    ViewerHelpPlatform platform(places(), shell("exec sleep 30"));  // never reads a request
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) {
        platform.htmlHelp("vantero.chm", 0x0F, 1000 + i);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(platform.starts(), 1);
    EXPECT_TRUE(boxes.plains.empty());
}

TEST_F(HelpClientTest, ViewerThatDoesNotAnswerIsEndedAndTheUserToldWhichFile) {
    ViewerHelpPlatform platform(places(), shell("exec sleep 30"), 300ms);
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return !boxes.plains.empty(); }));
    EXPECT_THAT(boxes.plains, ElementsAre(helpViewerStalledText(file)));
    EXPECT_THAT(boxes.plains[0], HasSubstr(file.string()));
    EXPECT_TRUE(waitFor([&] { return !platform.viewerRunning(); }));
    // The next request starts a fresh viewer.
    platform.htmlHelp("vantero.chm", 0x0F, 1010);
    EXPECT_EQ(platform.starts(), 2);
    EXPECT_TRUE(platform.viewerRunning());
}

TEST_F(HelpClientTest, ViewerThatCrashesIsToldAndStartedAgainAtTheNextRequest) {
    ViewerHelpPlatform platform(places(), shell("read line; kill -SEGV $$"));
    platform.htmlHelp("vantero.chm", 0x0F, 2170);
    ASSERT_TRUE(waitFor([&] { return !boxes.plains.empty(); }));
    EXPECT_THAT(boxes.plains, ElementsAre(helpViewerCrashedText(file)));
    EXPECT_FALSE(platform.viewerRunning());
    platform.htmlHelp("vantero.chm", 0x0F, 2170);
    EXPECT_EQ(platform.starts(), 2);
    ASSERT_TRUE(waitFor([&] { return boxes.plains.size() == 2; }));
}

// A viewer's end names the help file only where the viewer was reading it;
// one ended from outside while idle, or ending itself after its window was
// closed, is simply started again at the next request.
TEST_F(HelpClientTest, ViewerEndIsToldOnlyWhenItWasReadingTheFile) {
    const QString answerThen = "read -r w s r; echo \"shown $s /a.htm\"; ";
    const struct {
        const char* what;
        QString script;
        int killWith;  // sent from here once the request is answered; 0: none
        bool told;
    } cases[] = {
        {"killed with TERM while idle", answerThen + "exec sleep 30", SIGTERM, false},
        {"killed with KILL while idle", answerThen + "exec sleep 30", SIGKILL, false},
        {"ended itself while idle", answerThen + "exit 0", 0, false},
        {"a fault inside after the answer", answerThen + "echo crashed; kill -SEGV $$", 0, true},
        {"failed with a request waiting", "read -r line; exit 1", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.plains.clear();
        ViewerHelpPlatform platform(places(), shell(c.script));
        int answers = 0;
        platform.onReply = [&](const ViewerReply& reply) { answers += reply.kind == ViewerReplyKind::Shown; };
        platform.htmlHelp("vantero.chm", 0x0F, 1000);
        if (c.killWith != 0) {
            ASSERT_TRUE(waitFor([&] { return answers == 1; }));
            ::kill(static_cast<pid_t>(platform.viewerPid()), c.killWith);
        }
        ASSERT_TRUE(waitFor([&] { return !platform.viewerRunning(); }));
        QTest::qWait(100);
        if (c.told) {
            EXPECT_THAT(boxes.plains, ElementsAre(helpViewerCrashedText(file)));
        } else {
            EXPECT_THAT(boxes.plains, ::testing::IsEmpty());
        }
        platform.htmlHelp("vantero.chm", 0x0F, 1000);
        EXPECT_EQ(platform.starts(), 2);
    }
}

// The viewer ends itself a minute after its window closed; a request sent
// at that very moment must not be lost with it.
TEST_F(HelpClientTest, RequestToAViewerThatJustEndedItselfGoesToTheNextOne) {
    const std::string marker = (dir / "started-once").string();
    ViewerHelpPlatform platform(
        places(), shell(QString::fromStdString("if [ -e '" + marker + "' ]; then while read -r w s r; do echo \"shown $s /p.htm\"; done; "
                                               "else touch '" + marker + "'; exit 0; fi")));
    std::vector<ViewerReply> replies;
    platform.onReply = [&](const ViewerReply& reply) { replies.push_back(reply); };
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return replies.size() == 1; }));
    EXPECT_EQ(replies[0], (ViewerReply{ViewerReplyKind::Shown, 1, "/p.htm"}));
    EXPECT_EQ(platform.starts(), 2);
    EXPECT_TRUE(boxes.plains.empty());
}

// A page with a very long link makes a long reply line: it is read whole, and
// one past every sane length is dropped without the viewer counting as stuck.
TEST_F(HelpClientTest, LongReplyLinesAreReadWholeAndOverlongOnesDropped) {
    ViewerHelpPlatform platform(places(),
                                shell("read -r w s r; printf 'page /%070000d\\n' 0; printf \"shown $s /\"; "
                                      "head -c 2000000 /dev/zero | tr '\\0' a; echo; echo 'page /after.htm'; "
                                      "exec sleep 30"),
                                500ms);
    std::vector<ViewerReply> replies;
    platform.onReply = [&](const ViewerReply& reply) { replies.push_back(reply); };
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return replies.size() == 2; }));
    EXPECT_EQ(replies[0].kind, ViewerReplyKind::Page);
    EXPECT_EQ(replies[0].text.size(), 70001u);
    EXPECT_EQ(replies[1], (ViewerReply{ViewerReplyKind::Page, 0, "/after.htm"}));
    QTest::qWait(1000);  // twice the reply deadline: the dropped line answered the request
    EXPECT_TRUE(boxes.plains.empty());
    EXPECT_TRUE(platform.viewerRunning());
}

TEST_F(HelpClientTest, ViewerThatFoundItselfStuckIsReportedAsStuck) {
    ViewerHelpPlatform platform(places(), shell("read line; echo stalled; exit 3"));
    platform.htmlHelp("vantero.chm", 0x0F, 5000);
    ASSERT_TRUE(waitFor([&] { return !boxes.plains.empty(); }));
    EXPECT_THAT(boxes.plains, ElementsAre(helpViewerStalledText(file)));
}

TEST_F(HelpClientTest, OneViewerServesEveryRequestInTurn) {
    ViewerHelpPlatform platform(places(), shell("while read -r word seq rest; do echo \"shown $seq /p$seq.htm\"; done"));
    std::vector<ViewerReply> replies;
    platform.onReply = [&](const ViewerReply& reply) { replies.push_back(reply); };
    for (int context : {1000, 2170, 5240}) {
        platform.htmlHelp("vantero.chm", 0x0F, context);
    }
    ASSERT_TRUE(waitFor([&] { return replies.size() == 3; }));
    EXPECT_EQ(replies[2], (ViewerReply{ViewerReplyKind::Shown, 3, "/p3.htm"}));
    EXPECT_EQ(platform.starts(), 1);
    EXPECT_TRUE(platform.viewerRunning());
    QTest::qWait(100);
    EXPECT_TRUE(boxes.plains.empty());
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(HelpClientTest, WhatTheViewerCouldNotDoBecomesABoxInMnemora) {
    ViewerHelpPlatform platform(
        places(), shell("read -r w s r; echo \"error $s Cannot%20open%20file%20/x/vantero.chm\";"
                        "read -r w s r; echo \"notice $s В%20файле%20справки%20нет%20раздела%207.\"; exec sleep 30"));
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    platform.htmlHelp("vantero.chm", 0x0F, 7);
    ASSERT_TRUE(waitFor([&] { return !boxes.errors.empty() && !boxes.plains.empty(); }));
    EXPECT_THAT(boxes.errors, ElementsAre("Cannot open file /x/vantero.chm."));
    EXPECT_THAT(boxes.plains, ElementsAre("В файле справки нет раздела 7."));
}

TEST_F(HelpClientTest, ViewerThatCannotStartIsToldAndTriedAgainNextTime) {
    ViewerHelpPlatform platform(places(), {(dir / "bin" / "no-such-viewer").c_str(), {}});
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return !boxes.plains.empty(); }));
    EXPECT_THAT(boxes.plains[0], HasSubstr("no-such-viewer"));
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    EXPECT_EQ(platform.starts(), 2);
}

// An install keeps the viewer in <prefix>/libexec/mnemora, out of the users'
// commands; the build tree keeps it beside the program.
TEST_F(HelpClientTest, ViewerIsFoundBesideTheProgramOrInTheInstallsPrivateFolder) {
    const auto executable = [](const fs::path& p) {
        fs::create_directories(p.parent_path());
        test::writeBytes(p, "#!/bin/sh\n");
        fs::permissions(p, fs::perms::owner_all);
    };
    const QString bin = QString::fromStdString((dir / "usr" / "bin").string());
    const fs::path installed = dir / "usr" / "libexec" / "mnemora" / "mnemora-help";
    const fs::path beside = dir / "usr" / "bin" / "mnemora-help";

    // Neither: the one beside, so that the failure names a place.
    EXPECT_EQ(HelpViewerCommand::forProgramIn(bin).program.toStdString(), beside.string());

    executable(installed);
    EXPECT_EQ(HelpViewerCommand::forProgramIn(bin).program.toStdString(), installed.string());

    // A file there that cannot run is no viewer.
    fs::permissions(installed, fs::perms::owner_read);
    EXPECT_EQ(HelpViewerCommand::forProgramIn(bin).program.toStdString(), beside.string());
    fs::permissions(installed, fs::perms::owner_all);

    // Both: the install's own, not a stale one an older install left in bin/.
    executable(beside);
    EXPECT_EQ(HelpViewerCommand::forProgramIn(bin).program.toStdString(), installed.string());

    // The build tree: only the one beside.
    fs::remove(installed);
    EXPECT_EQ(HelpViewerCommand::forProgramIn(bin).program.toStdString(), beside.string());
}

TEST_F(HelpClientTest, MissingHelpFileNamesThePlacesLookedInAndStartsNoViewer) {
    fs::remove(file);
    ViewerHelpPlatform platform(places(), shell("exec sleep 30"));
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_EQ(boxes.plains.size(), 1u);
    EXPECT_THAT(boxes.plains[0], HasSubstr((dir / "bin" / "vantero.chm").string()));
    EXPECT_THAT(boxes.plains[0], HasSubstr(file.string()));
    EXPECT_EQ(platform.starts(), 0);
}

class RealViewerTest : public HelpClientTest {
protected:
    void SetUp() override {
        if (!test::haveChmcmd()) {
            GTEST_SKIP() << test::kNoChmcmd;
        }
        fs::copy(fs::path(MNEMORA_SOURCE_DIR) / "tests/help/fixtures/mapped", dir / "mapped",
                 fs::copy_options::recursive);
        const std::string command = "cd '" + (dir / "mapped").string() + "' && chmcmd vantero.hhp >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        fs::copy_file(dir / "mapped/vantero.chm", file, fs::copy_options::overwrite_existing);
        platform.onReply = [this](const ViewerReply& reply) {
            if (reply.kind == ViewerReplyKind::Shown) {
                shown.push_back(reply.text);
            }
        };
    }

    ViewerHelpPlatform platform{places(), realViewer()};
    std::vector<std::string> shown;
};

TEST_F(RealViewerTest, ShowsEachTopicFromOneViewerProcess) {
    platform.htmlHelp("vantero.chm", 0x0F, 1010);
    platform.htmlHelp("vantero.chm", 0x0F, 2170);
    ASSERT_TRUE(waitFor([&] { return shown.size() == 2; }));
    EXPECT_THAT(shown, ElementsAre("/window.htm", "/topics/lists.htm"));
    EXPECT_EQ(platform.starts(), 1);
    EXPECT_TRUE(boxes.plains.empty());
}

TEST_F(RealViewerTest, DamagedFileIsReportedByNameAndTheViewerGoesOn) {
    test::writeBytes(file, "ITSF and then nothing a help file has");
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return !boxes.errors.empty(); }));
    EXPECT_THAT(boxes.errors, ElementsAre("Cannot open file " + file.string() + "."));
    EXPECT_TRUE(platform.viewerRunning());
    fs::copy_file(dir / "mapped/vantero.chm", file, fs::copy_options::overwrite_existing);
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return shown.size() == 1; }));
    EXPECT_EQ(shown[0], "/general.htm");
    EXPECT_EQ(platform.starts(), 1);
}

TEST_F(RealViewerTest, ViewerKilledWhileIdleIsStartedAgainWithoutABox) {
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_TRUE(waitFor([&] { return shown.size() == 1; }));
    QTest::qWait(300);
    // Even a crash signal, when it comes from outside, says nothing of the file.
    ASSERT_EQ(::kill(static_cast<pid_t>(platform.viewerPid()), SIGSEGV), 0);
    ASSERT_TRUE(waitFor([&] { return !platform.viewerRunning(); }));
    QTest::qWait(100);
    EXPECT_TRUE(boxes.plains.empty());
    platform.htmlHelp("vantero.chm", 0x0F, 5240);
    ASSERT_TRUE(waitFor([&] { return shown.size() == 2; }));
    EXPECT_EQ(shown[1], "/topics/columns.htm");
    EXPECT_EQ(platform.starts(), 2);
}

// The viewer by itself: every line it cannot read is answered at once, and a
// viewer whose window was never shown (or was closed) ends after its idle time.
TEST(HelpViewerProcess, AnswersBadRequestsAtOnceAndEndsWhenIdle) {
    QProcess viewer;
    viewer.start(MNEMORA_HELP_VIEWER, {"--idle-exit-ms", "1500"});
    ASSERT_TRUE(viewer.waitForStarted());
    const QByteArray overlong = "show 9 " + QByteArray(100000, 'a') + "\n";
    viewer.write("garbage\nshow 7 1000 0 0\n" + overlong);
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        out += viewer.readAllStandardOutput();
        return out.count('\n') >= 3;
    }, 10000)) << out.toStdString();
    const QList<QByteArray> lines = out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    for (const auto& [line, seq] : {std::pair{lines[0], 0}, {lines[1], 7}, {lines[2], 9}}) {
        const auto reply = parseViewerReply(line.toStdString());
        ASSERT_TRUE(reply) << line.toStdString();
        EXPECT_EQ(reply->kind, ViewerReplyKind::Error);
        EXPECT_EQ(reply->seq, static_cast<std::uint64_t>(seq));
    }
    ASSERT_TRUE(viewer.waitForFinished(10000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);
}

TEST(HelpViewerProcess, ClosedWindowCountsOnlyWhileItStaysClosed) {
    QApplication& app = test::qtApp();
    (void)app;
    QWidget window;
    int idle = 0;
    ClosedWindowTimer timer(window, 200, [&] { ++idle; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return idle == 1; }, 5000));  // never shown
    window.show();
    QTest::qWait(400);
    EXPECT_EQ(idle, 1);
    window.hide();
    QTest::qWait(100);
    window.show();  // opened again before its time: no count
    QTest::qWait(400);
    EXPECT_EQ(idle, 1);
    window.close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return idle == 2; }, 5000));
}

}  // namespace
}  // namespace mnemora

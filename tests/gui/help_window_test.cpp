#include "help/help_window.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTreeWidget>

#include "gui_support.h"
#include "help/help_text.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

namespace fs = std::filesystem;

// The sample help project compiled into a fresh folder, or empty with the
// reason when the compiler is not there or fails.
fs::path compileMappedHelp(const test::TempDir& into, std::string& why) {
    if (std::system("command -v chmcmd >/dev/null 2>&1") != 0) {
        why = "chmcmd (Debian package fp-utils) is not installed, so no help file can be built";
        return {};
    }
    const fs::path project = into / "mapped";
    fs::copy(fs::path(MNEMORA_SOURCE_DIR) / "tests/help/fixtures/mapped", project, fs::copy_options::recursive);
    const std::string command = "cd '" + project.string() + "' && chmcmd vantero.hhp >chmcmd.log 2>&1";
    if (std::system(command.c_str()) != 0 || !fs::exists(project / "vantero.chm")) {
        why = "chmcmd failed: " + test::readBytes(project / "chmcmd.log");
        return {};
    }
    return project / "vantero.chm";
}

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        chm = compileMappedHelp(dir, why);
        if (chm.empty()) {
            GTEST_SKIP() << why;
        }
    }
    QString firstHeading() { return window.browser().document()->firstBlock().text(); }
    QColor headingColour() {
        return window.browser().document()->firstBlock().begin().fragment().charFormat().foreground().color();
    }

    QApplication& app = test::qtApp();
    test::TempDir dir;
    test::RecordingBoxes boxes;
    fs::path chm;
    HelpWindow window;
};

TEST_F(HelpWindowTest, OpensTheMappedPageWithItsStyleSheet) {
    ASSERT_TRUE(window.showTopic(chm, 1000));
    EXPECT_EQ(window.browser().source().path(), "/general.htm");
    EXPECT_EQ(firstHeading(), "General help");
    EXPECT_EQ(headingColour(), QColor("#204080"));  // the style sheet came from inside the file
}

TEST_F(HelpWindowTest, FollowsARelativeLinkAndComesBack) {
    ASSERT_TRUE(window.showTopic(chm, 1000));
    emit window.browser().anchorClicked(QUrl("topics/lists.htm"));
    EXPECT_EQ(window.browser().source().path(), "/topics/lists.htm");
    EXPECT_EQ(firstHeading(), "Lists");
    EXPECT_EQ(headingColour(), QColor("#204080"));  // "../style.css" from the subfolder
    window.browser().backward();
    EXPECT_EQ(window.browser().source().path(), "/general.htm");
}

TEST_F(HelpWindowTest, ExternalLinksGoToTheDesktopAndNeverLoadInside) {
    std::vector<QUrl> opened;
    window.browser().openExternal = [&](const QUrl& url) { opened.push_back(url); };
    ASSERT_TRUE(window.showTopic(chm, 1000));
    emit window.browser().anchorClicked(QUrl("https://example.org/mnemora"));
    emit window.browser().anchorClicked(QUrl("javascript:alert(1)"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), "https://example.org/mnemora");
    EXPECT_EQ(window.browser().source().path(), "/general.htm");
}

TEST_F(HelpWindowTest, RussianPageInWindows1251ReadsCorrectly) {
    ASSERT_TRUE(window.showTopic(chm, 1010));
    EXPECT_EQ(firstHeading(), "Главное окно");
}

TEST_F(HelpWindowTest, UnmappedNumberOpensTheDefaultTopic) {
    ASSERT_TRUE(window.showTopic(chm, 4020));
    EXPECT_EQ(window.browser().source().path(), "/index.htm");
}

TEST_F(HelpWindowTest, ContentsPaneListsTheTopicsAndNavigates) {
    ASSERT_TRUE(window.showTopic(chm, 1000));
    QTreeWidget& tree = window.contents();
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    QTreeWidgetItem* windowItem = tree.topLevelItem(2);
    ASSERT_EQ(windowItem->childCount(), 2);
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(1));  // "General", the page shown
    emit tree.itemActivated(windowItem->child(1), 0);
    EXPECT_EQ(window.browser().source().path(), "/topics/columns.htm");
    EXPECT_EQ(tree.currentItem(), windowItem->child(1));
}

TEST(HelpPlatform, MissingHelpFileNamesThePlacesLookedIn) {
    test::qtApp();
    test::TempDir dir;
    test::RecordingBoxes boxes;
    HelpSearchPlaces places{dir / "bin", dir / "cwd", [](const char*) { return std::optional<std::string>(); }};
    ChmHelpPlatform platform(places);
    platform.htmlHelp("vantero.chm", 0x0F, 1000);
    ASSERT_EQ(boxes.plains.size(), 1u);
    EXPECT_NE(boxes.plains[0].find((dir / "bin" / "vantero.chm").string()), std::string::npos) << boxes.plains[0];
    EXPECT_NE(boxes.plains[0].find((dir / "cwd" / "vantero.chm").string()), std::string::npos);
    EXPECT_EQ(platform.window(), nullptr);
}

TEST(HelpContentsParser, NestsEntriesAsTheirListsDo) {
    const auto tree = parseContents(
        "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
        "<param name=\"Local\" value=\"a.htm\"></OBJECT><UL><LI><OBJECT type=\"text/sitemap\">"
        "<param name=\"Name\" value=\"Inner\"><param name=\"Local\" value=\"sub/i.htm#x\"></OBJECT></UL>"
        "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"C\"></OBJECT></UL>");
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].name, "A & B");
    ASSERT_EQ(tree[0].children.size(), 1u);
    EXPECT_EQ(tree[0].children[0].local, "sub/i.htm#x");
    EXPECT_EQ(tree[1].name, "C");
    EXPECT_TRUE(tree[1].local.empty());
}

TEST(HelpContentsParser, DamagedMarkupGivesWhatCouldBeRead) {
    EXPECT_TRUE(parseContents("").empty());
    EXPECT_TRUE(parseContents("</UL></UL><OBJECT").empty());
    const auto tree = parseContents("<OBJECT type=text/sitemap><param name=Name value=Bare></OBJECT><UL><UL>");
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].name, "Bare");
}

TEST(HelpText, DecodesByTheDeclaredCharsetElseUtf8ElseCp1251) {
    EXPECT_EQ(decodeHelpText("<meta charset=windows-1251>\xC4\xE0"), "<meta charset=windows-1251>Да");
    EXPECT_EQ(decodeHelpText("Да"), "Да");
    EXPECT_EQ(decodeHelpText("\xC4\xE0"), "Да");
    EXPECT_EQ(declaredCharset("<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"), "utf-8");
}

}  // namespace
}  // namespace mnemora

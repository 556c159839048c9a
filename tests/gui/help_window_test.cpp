#include "qt/help/help_window.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTreeWidget>

#include "gui_support.h"
#include "help/help_limits.h"
#include "help_project.h"
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

TEST_F(HelpWindowTest, TitleNamesThePageShownBesideMnemorasIcon) {
    ASSERT_TRUE(window.showTopic(chm, 1000));
    EXPECT_EQ(window.windowTitle(), "General help — Справка Мнеморы");
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST_F(HelpWindowTest, OpensBesideTheAskingWindowAndStaysWhereTheUserPutIt) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const HelpRect asker{screen.x() + 10, screen.y() + 10, 300, 200};
    // Mnemora's window as the platform frames it; the help window's frame
    // will be the same.
    const QMargins margins = [] {
        QWidget probe;
        probe.show();
        const QRect outer = probe.frameGeometry();
        const QRect inner = probe.geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    }();
    const HelpRect inner{asker.x + margins.left(), asker.y + margins.top(),
                         asker.width - margins.left() - margins.right(), asker.height - margins.top() - margins.bottom()};
    window.placeBeside(asker, inner);
    ASSERT_TRUE(window.showTopic(chm, 1000));
    const QRect frame = window.frameGeometry();
    EXPECT_EQ(overlapArea({frame.x(), frame.y(), frame.width(), frame.height()}, asker), 0);
    EXPECT_TRUE(screen.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                        << frame.height();

    // Asked again from a window it does not cover: it stays.
    window.resize(300, 200);
    window.move(screen.topLeft() + QPoint(400, 400));
    const QPoint moved = window.frameGeometry().topLeft();
    window.placeBeside({screen.x() + 10, screen.y() + 10, 100, 100});
    EXPECT_EQ(window.frameGeometry().topLeft(), moved);
    // From a window it covers: it moves aside.
    const HelpRect covered{moved.x() + 20, moved.y() + 20, 100, 100};
    window.placeBeside(covered);
    const QRect after = window.frameGeometry();
    EXPECT_EQ(overlapArea({after.x(), after.y(), after.width(), after.height()}, covered), 0);
    EXPECT_TRUE(screen.contains(after));
}

QByteArray png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A help file built for the test: contents that name pages in other case and
// with backslashes, a page outside the contents, and pages and pictures at
// and beyond their bounds.
class BoundedHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveChmcmd()) {
            GTEST_SKIP() << test::kNoChmcmd;
        }
        test::HelpProject project;
        project.defaultTopic = "index.htm";
        project.contentsFile = "toc.hhc";
        auto item = [](const char* name, const char* local) {
            return std::string("<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"") + name +
                   "\"><param name=\"Local\" value=\"" + local + "\"></OBJECT>";
        };
        project.files["toc.hhc"] = "<UL>" + item("Start", "index.htm") + "<UL>" + item("Lists", "Topics\\Lists.HTM") +
                                   "</UL>" + item("Pictures", "./pictures.htm") + "</UL>";
        project.files["index.htm"] = "<html><body><h1>Start</h1><a href=\"extra.htm\">extra</a></body></html>";
        project.files["topics/lists.htm"] = "<html><body><h1>Lists</h1></body></html>";
        project.files["extra.htm"] = "<html><body><h1>Extra</h1></body></html>";
        std::string pictures = "<html><body>";
        for (int i = 0; i < kMaxPageResources + 6; ++i) {
            const std::string name = "img" + std::to_string(i) + ".png";
            const QByteArray bytes = png(2, 2);
            project.files[name] = std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            pictures += "<img src=\"" + name + "\">";
        }
        project.files["pictures.htm"] = pictures + "</body></html>";
        const QByteArray wide = png(kMaxImageSide + 1, 1);
        project.files["wide.png"] = std::string(wide.constData(), static_cast<std::size_t>(wide.size()));
        project.files["big.htm"] = "<p>" + std::string(kMaxPageBytes, 'x') + "</p>";
        std::string deep;
        for (int i = 0; i <= kMaxPageNesting; ++i) {
            deep += "<table><tr><td>";
        }
        project.files["deep.htm"] = deep + "deep";
        project.map = {{1, "index.htm"}, {2, "topics/lists.htm"}, {3, "extra.htm"},
                       {4, "pictures.htm"}, {5, "big.htm"}, {6, "deep.htm"}};
        std::string log;
        chm = test::compileHelpProject(dir / "bounded", project, log);
        ASSERT_FALSE(chm.empty()) << log;
    }

    QString text() { return window.browser().toPlainText(); }

    QApplication& app = test::qtApp();
    test::TempDir dir;
    fs::path chm;
    HelpWindow window;
};

TEST_F(BoundedHelpTest, ContentsMarkThePageShownWhateverCaseTheyWroteAndNothingForOtherPages) {
    ASSERT_TRUE(window.showTopic(chm, 2));
    QTreeWidget& tree = window.contents();
    ASSERT_NE(tree.currentItem(), nullptr);
    EXPECT_EQ(tree.currentItem()->text(0), "Lists");
    ASSERT_TRUE(window.showTopic(chm, 3));  // a page the contents do not list
    EXPECT_EQ(tree.currentItem(), nullptr);
    EXPECT_TRUE(tree.selectedItems().isEmpty());
    ASSERT_TRUE(window.showTopic(chm, 1));
    EXPECT_EQ(tree.currentItem()->text(0), "Start");
    emit window.browser().anchorClicked(QUrl("extra.htm"));  // however the page is reached
    EXPECT_EQ(tree.currentItem(), nullptr);
    emit tree.itemActivated(tree.topLevelItem(1), 0);  // "./pictures.htm"
    EXPECT_EQ(window.browser().source().path(), "/pictures.htm");
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(1));
}

TEST_F(BoundedHelpTest, PagePullsInNoMorePicturesThanTheBound) {
    ASSERT_TRUE(window.showTopic(chm, 4));
    (void)window.browser().document()->documentLayout()->documentSize();  // lays out, loading the pictures
    EXPECT_EQ(window.browser().budget().resources, kMaxPageResources);
    // Another page starts afresh.
    ASSERT_TRUE(window.showTopic(chm, 1));
    EXPECT_EQ(window.browser().budget().resources, 0);
}

TEST_F(BoundedHelpTest, PictureWiderThanTheBoundIsNotDecoded) {
    ASSERT_TRUE(window.showTopic(chm, 1));
    const QVariant wide = window.browser().loadResource(QTextDocument::ImageResource, QUrl("wide.png"));
    EXPECT_EQ(wide.value<QImage>().size(), QSize(1, 1));  // a blank in its place
    const QVariant small = window.browser().loadResource(QTextDocument::ImageResource, QUrl("img0.png"));
    ASSERT_TRUE(small.canConvert<QImage>());
    EXPECT_EQ(small.value<QImage>().size(), QSize(2, 2));
}

TEST_F(BoundedHelpTest, NothingIsLoadedFromOutsideTheHelpFile) {
    // Left to itself the document would read local files and decode "data:"
    // pictures, past every bound.
    const QByteArray picture = png(64, 64);
    test::writeBytes(dir / "outside.png", std::string(picture.constData(), static_cast<std::size_t>(picture.size())));
    test::writeBytes(dir / "outside.css", "h1 { color: #ff0000 }");
    ASSERT_TRUE(window.showTopic(chm, 1));
    QTextDocument& document = *window.browser().document();
    const QUrl local = QUrl::fromLocalFile(QString::fromStdString((dir / "outside.png").string()));
    EXPECT_EQ(document.resource(QTextDocument::ImageResource, local).value<QImage>().size(), QSize(1, 1));
    const QUrl data("data:image/png;base64," + picture.toBase64());
    EXPECT_EQ(document.resource(QTextDocument::ImageResource, data).value<QImage>().size(), QSize(1, 1));
    const QUrl css = QUrl::fromLocalFile(QString::fromStdString((dir / "outside.css").string()));
    EXPECT_EQ(document.resource(QTextDocument::StyleSheetResource, css).toString(), "");
}

TEST_F(BoundedHelpTest, PagesBeyondTheirBoundsShowANoticeInstead) {
    ASSERT_TRUE(window.showTopic(chm, 5));
    EXPECT_TRUE(text().startsWith("Страница не показана")) << text().left(80).toStdString();
    EXPECT_TRUE(text().contains("/big.htm"));
    ASSERT_TRUE(window.showTopic(chm, 6));
    EXPECT_TRUE(text().contains("слишком сложна")) << text().left(80).toStdString();
    // And the next page shows as usual.
    ASSERT_TRUE(window.showTopic(chm, 2));
    EXPECT_EQ(window.browser().document()->firstBlock().text(), "Lists");
}

}  // namespace
}  // namespace mnemora

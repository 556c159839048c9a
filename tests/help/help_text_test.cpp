#include "help/help_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "help/help_limits.h"

namespace mnemora {
namespace {

std::string entry(const std::string& name, const std::string& local = {}) {
    std::string out = "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + name + "\">";
    if (!local.empty()) {
        out += "<param name=\"Local\" value=\"" + local + "\">";
    }
    return out + "</OBJECT>";
}

std::vector<int> depths(const std::vector<ContentsEntry>& entries) {
    std::vector<int> out;
    for (const ContentsEntry& e : entries) {
        out.push_back(e.depth);
    }
    return out;
}

TEST(HelpContentsParser, NestsEntriesAsTheirListsDo) {
    const auto tree = parseContents("<UL>" + entry("A &amp; B", "a.htm") + "<UL>" + entry("Inner", "sub/i.htm#x") +
                                    "<UL>" + entry("Deeper") + "</UL></UL>" + entry("C") + "</UL>");
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[0], (ContentsEntry{"A & B", "a.htm", 0}));
    EXPECT_EQ(tree[1], (ContentsEntry{"Inner", "sub/i.htm#x", 1}));
    EXPECT_EQ(tree[2], (ContentsEntry{"Deeper", "", 2}));
    EXPECT_EQ(tree[3], (ContentsEntry{"C", "", 0}));
}

TEST(HelpContentsParser, ListWithNoEntryAboveItAddsNoLevel) {
    // The inner list opens before any entry of the outer one.
    const auto tree = parseContents("<UL><UL>" + entry("A") + "</UL>" + "<UL>" + entry("Under A") + "</UL></UL>");
    EXPECT_EQ(depths(tree), (std::vector<int>{0, 1}));
}

TEST(HelpContentsParser, DamagedMarkupGivesWhatCouldBeRead) {
    EXPECT_TRUE(parseContents("").empty());
    EXPECT_TRUE(parseContents("</UL></UL><OBJECT").empty());
    EXPECT_TRUE(parseContents("<UL><OBJECT type=text/sitemap><param name=Name value=X>").empty());  // never closed
    const auto tree = parseContents("<OBJECT type=text/sitemap><param name=Name value=Bare></OBJECT><UL><UL>");
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].name, "Bare");
    // Objects of other types (the window settings) are no entries.
    EXPECT_TRUE(parseContents("<OBJECT type=\"text/site properties\"><param name=Name value=P></OBJECT>").empty());
}

TEST(HelpContentsParser, ReadsWindows1251AndCommentsDoNotCount) {
    const auto tree = parseContents("<!-- <OBJECT type=text/sitemap><param name=Name value=Hidden></OBJECT> -->" +
                                    entry("\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB", "p.htm"));
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].name, "Параметры");
}

TEST(HelpContentsParser, NestingDeeperThanTheBoundStaysAtTheDeepestLevel) {
    // 150,000 levels once overflowed the stack; now it is a flat list whose
    // depth stops at the bound.
    std::string hhc;
    for (int i = 0; i < 150000; ++i) {
        hhc += "<UL>" + entry("x");
    }
    const auto started = std::chrono::steady_clock::now();
    const auto tree = parseContents(hhc);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    ASSERT_FALSE(tree.empty());
    EXPECT_LE(tree.size(), kMaxContentsEntries);
    int deepest = 0;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        deepest = std::max(deepest, tree[i].depth);
        if (i > 0) {
            EXPECT_LE(tree[i].depth, tree[i - 1].depth + 1);  // a parent for every entry
        }
    }
    EXPECT_EQ(deepest, kMaxContentsDepth);
}

TEST(HelpContentsParser, KeepsAtMostTheBoundOfEntriesAndOfBytes) {
    std::string many = "<UL>";
    for (std::size_t i = 0; i < kMaxContentsEntries + 100; ++i) {
        many += entry("e");
    }
    EXPECT_EQ(parseContents(many).size(), kMaxContentsEntries);

    // Entries past the first kMaxContentsBytes are not read.
    const std::string first = "<UL>" + entry("first");
    const std::string padded = first + std::string(kMaxContentsBytes, ' ') + entry("past");
    EXPECT_EQ(parseContents(padded).size(), 1u);
}

TEST(HelpContentsParser, LongTitlesAreCutAtACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 1000; ++i) {
        name += "Я";  // two bytes each
    }
    const auto tree = parseContents(entry(name));
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_LE(tree[0].name.size(), kMaxContentsNameBytes);
    EXPECT_GT(tree[0].name.size(), kMaxContentsNameBytes - 2);
    EXPECT_EQ(tree[0].name.size() % 2, 0u);
}

TEST(HelpEntities, DecodesNamedAndNumericReferencesInOnePass) {
    EXPECT_EQ(decodeEntities("a &amp; b &lt;c&gt; &quot;d&quot; &apos;"), "a & b <c> \"d\" '");
    EXPECT_EQ(decodeEntities("&#1071;&#x44F;"), "Яя");
    EXPECT_EQ(decodeEntities("&amp;amp;"), "&amp;");  // decoded once, not again
    EXPECT_EQ(decodeEntities("&unknown; & &#; &#xD800; &#99999999; &"), "&unknown; & &#; &#xD800; &#99999999; &");
    // Long runs of references cost time in step with their length.
    std::string many;
    for (int i = 0; i < 200000; ++i) {
        many += "&amp;";
    }
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(decodeEntities(many), std::string(200000, '&'));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(HelpText, DecodesByTheDeclaredCharsetElseUtf8ElseCp1251) {
    EXPECT_EQ(decodeHelpText("<meta charset=windows-1251>\xC4\xE0"), "<meta charset=windows-1251>Да");
    EXPECT_EQ(decodeHelpText("Да"), "Да");
    EXPECT_EQ(decodeHelpText("\xC4\xE0"), "Да");
    EXPECT_EQ(declaredCharset("<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"), "utf-8");
}

TEST(HelpPage, OrdinaryPageIsDecodedForTheView) {
    const PreparedPage page =
        preparePage("<html><head><meta charset=windows-1251></head><body><table><tr><td><ul><li>\xC4\xE0"
                    "</ul></table></body></html>");
    EXPECT_EQ(page.refusal, PageRefusal::None);
    EXPECT_THAT(page.html, ::testing::HasSubstr("<li>Да</ul>"));
}

std::string words(std::size_t bytes) {
    std::string text;
    while (text.size() + 6 <= bytes) {
        text += "слово";  // 10 bytes of UTF-8, then a space
        text += ' ';
    }
    return text + std::string(bytes - text.size(), 'x');
}

std::string repeated(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(HelpPage, PageOverTheByteBoundIsRefused) {
    EXPECT_EQ(preparePage(words(kMaxPageBytes)).refusal, PageRefusal::None);
    const PreparedPage big = preparePage(words(kMaxPageBytes + 1));
    EXPECT_EQ(big.refusal, PageRefusal::TooLarge);
    EXPECT_TRUE(big.html.empty());
}

TEST(HelpPage, PageWithTooManyTagsOrPicturesIsRefused) {
    const std::string tags = repeated("<b>", kMaxPageTags);
    EXPECT_EQ(preparePage(tags).refusal, PageRefusal::None);
    EXPECT_EQ(preparePage(tags + "<i>").refusal, PageRefusal::TooManyTags);
    const std::string pictures = repeated("<img src=a.png>", kMaxPageImages);
    EXPECT_EQ(preparePage(pictures).refusal, PageRefusal::None);
    EXPECT_EQ(preparePage(pictures + "<IMG src=b.png>").refusal, PageRefusal::TooManyTags);
}

TEST(HelpPage, BlocksAndTablesNestedDeeperThanTheBoundAreRefused) {
    auto nested = [](int depth, const std::string& open, const std::string& close) {
        return repeated(open, static_cast<std::size_t>(depth)) + repeated(close, static_cast<std::size_t>(depth));
    };
    EXPECT_EQ(preparePage(nested(kMaxPageNesting, "<div>", "</div>")).refusal, PageRefusal::None);
    EXPECT_EQ(preparePage(nested(kMaxPageNesting + 1, "<DIV>", "</DIV>")).refusal, PageRefusal::TooDeep);
    // Each table in a table doubles the layout's work: they have a bound of their own.
    EXPECT_EQ(preparePage(nested(kMaxTableNesting, "<table><tr><td>", "</td></tr></table>")).refusal,
              PageRefusal::None);
    EXPECT_EQ(preparePage(nested(kMaxTableNesting + 1, "<table><tr><td>", "</td></tr></table>")).refusal,
              PageRefusal::TooDeep);
    EXPECT_EQ(preparePage("<div>" + nested(kMaxTableNesting, "<table><tr><td><ul><li>", "</ul></table>") +
                          "</div>")
                  .refusal,
              PageRefusal::None);
    // Closed blocks one after another are no deeper than one.
    EXPECT_EQ(preparePage(repeated("<table><tr><td><ul><li>x</ul></table><div/>", 500)).refusal, PageRefusal::None);
    // Unclosed blocks count: that is how a layout would nest them.
    EXPECT_EQ(preparePage(repeated("<blockquote>", kMaxPageNesting + 1)).refusal, PageRefusal::TooDeep);
}

TEST(HelpPage, LengthsBeyondTheBoundAreRefusedWhereverThePageGivesThem) {
    const auto refusal = [](const std::string& html) { return preparePage(html).refusal; };
    EXPECT_EQ(refusal("<img width=1000 height=\"100%\" src=a.png>"), PageRefusal::None);
    EXPECT_EQ(refusal("<img width=1001 src=a.png>"), PageRefusal::TooWide);
    EXPECT_EQ(refusal("<table cellpadding='5000'><tr><td>x</table>"), PageRefusal::TooWide);
    EXPECT_EQ(refusal("<td width=1001%>"), PageRefusal::TooWide);
    EXPECT_EQ(refusal("<p style=\"margin: 0 0 1000px 0; font-size: 62em\">"), PageRefusal::None);
    EXPECT_EQ(refusal("<p style=\"margin: 0 0 1001px 0\">"), PageRefusal::TooWide);
    EXPECT_EQ(refusal("<p style=\"margin-left:-2000px\">"), PageRefusal::TooWide);
    EXPECT_EQ(refusal("<p style=\"font-size: 63em\">"), PageRefusal::TooWide);
    EXPECT_EQ(refusal("<p style=\"text-indent: 11in\">"), PageRefusal::TooWide);
    // A bare line height is a multiple of the font's size.
    EXPECT_EQ(refusal("<p style=\"line-height: 62\">"), PageRefusal::None);
    EXPECT_EQ(refusal("<p style=\"line-height: 63\">"), PageRefusal::TooWide);
    // Numbers that are no lengths: colours, weights, names, links.
    EXPECT_EQ(refusal("<p style=\"color: #123456; font-weight: 700\"><a href=\"123456.htm\" name=n99999>"),
              PageRefusal::None);
    // The page's own style sheet counts as well.
    EXPECT_EQ(refusal("<style>p { margin: 5px }</style><p>x"), PageRefusal::None);
    EXPECT_EQ(refusal("<STYLE type=text/css>p { margin: 50000px }</STYLE><p>x"), PageRefusal::TooWide);
    EXPECT_TRUE(styleWithinBounds("body { margin: 0.8em } table { width: 100% }"));
    EXPECT_FALSE(styleWithinBounds("div{padding:1e6px}"));
    EXPECT_TRUE(styleWithinBounds("div{padding:1e2px; margin: 5e-3em}"));
    EXPECT_FALSE(styleWithinBounds("div{padding:1000.5px}"));
}

TEST(HelpPage, CellSpansBeyondTheBoundAreRefused) {
    EXPECT_EQ(preparePage("<table><tr><td colspan=8 rowspan=\"8\">x</table>").refusal, PageRefusal::None);
    EXPECT_EQ(preparePage("<table><tr><td colspan=9>x</table>").refusal, PageRefusal::TooWide);
    EXPECT_EQ(preparePage("<table><tr><td ROWSPAN=1000000>x</table>").refusal, PageRefusal::TooWide);
    EXPECT_EQ(preparePage("<table><tr><td rowspan=00000002>x</table>").refusal, PageRefusal::TooWide);
}

TEST(HelpPage, TextThatNeverBreaksIsBounded) {
    // Laying out a word costs the square of its length.
    EXPECT_EQ(preparePage("<p>" + std::string(kMaxUnbrokenText, 'x') + " " + std::string(kMaxUnbrokenText, 'y'))
                  .refusal,
              PageRefusal::None);
    EXPECT_EQ(preparePage("<p>" + std::string(kMaxUnbrokenText + 1, 'x')).refusal, PageRefusal::TooWide);
    // Tags inside a word do not break it.
    EXPECT_EQ(preparePage(repeated("x<b>x</b>", kMaxUnbrokenText / 2 + 1)).refusal, PageRefusal::TooWide);
}

}  // namespace
}  // namespace mnemora

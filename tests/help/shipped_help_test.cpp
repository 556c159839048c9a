// The help file Mnemora ships, as the build compiled it from help/: every
// topic number the program asks for has a Russian page of its own, and the
// pages, contents and links hold together.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "chart/tone_chart.h"
#include "common/help_hook.h"
#include "core/caption.h"
#include "core/cp1251.h"
#include "help/chm_archive_chm.h"
#include "help/chm_mend.h"
#include "help/help_map.h"
#include "help/help_text.h"
#include "sessions/tray_catalogue.h"

namespace mnemora {
namespace {

using ::testing::HasSubstr;

// A page as the reader sees it: its archive path and its text, with tags
// removed and the entities our pages use turned back into characters.
struct Page {
    std::string path;
    std::string html;  // UTF-8
    std::string text;
};

std::string visibleText(const std::string& html) {
    std::string text;
    bool inTag = false;
    for (char c : html) {
        if (c == '<') {
            inTag = true;
        } else if (c == '>') {
            inTag = false;
            text += ' ';
        } else if (!inTag) {
            text += c == '\n' ? ' ' : c;
        }
    }
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&lt;", "<"},   {"&gt;", ">"},   {"&quot;", "\""}, {"&nbsp;", " "},
        {"&rarr;", "→"}, {"&larr;", "←"}, {"&times;", "×"}, {"&amp;", "&"}};
    for (const auto& [from, to] : kEntities) {
        for (std::size_t p = 0; (p = text.find(from, p)) != std::string::npos; p += to.size()) {
            text.replace(p, from.size(), to);
        }
    }
    return text;
}

// The value of every href="..." in a page, in order.
std::vector<std::string> links(const std::string& html) {
    std::vector<std::string> out;
    for (std::size_t p = 0; (p = html.find("href=\"", p)) != std::string::npos;) {
        p += 6;
        const std::size_t end = html.find('"', p);
        if (end == std::string::npos) {
            break;
        }
        out.push_back(html.substr(p, end - p));
        p = end;
    }
    return out;
}

// "../style.css" seen from "/lists/list01.htm" is "/style.css".
std::string resolveLink(const std::string& fromPage, const std::string& link) {
    std::vector<std::string> parts;
    std::string dir = fromPage.substr(1, fromPage.rfind('/'));
    std::string rest = dir + link;
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t slash = std::min(rest.find('/', start), rest.size());
        const std::string part = rest.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string path;
    for (const std::string& part : parts) {
        path += "/" + part;
    }
    return path;
}

// The window caption path the program shows for a list item: the captions
// of its grandparent, parent and itself, without the two top menus.
std::string captionPath(std::size_t entry) {
    std::vector<std::size_t> chain{entry};
    for (int i = 0; i < 2; ++i) {
        if (const auto parent = parentEntry(chain.back())) {
            chain.push_back(*parent);
        }
    }
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const std::string_view caption = trayPopupEntries()[*it].caption;
        if (caption != "&Сессии" && caption != "&Начать") {
            path += "/" + removeAmpersands(caption);
        }
    }
    return path;
}

class ShippedHelp : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
#ifdef MNEMORA_SHIPPED_HELP
        if (std::filesystem::exists(MNEMORA_SHIPPED_HELP)) {
            help_ = std::make_unique<ChmArchive>(MNEMORA_SHIPPED_HELP);
        }
#endif
    }
    static void TearDownTestSuite() {
        help_.reset();
    }

    void SetUp() override {
#ifdef MNEMORA_SHIPPED_HELP
        ASSERT_TRUE(help_) << MNEMORA_SHIPPED_HELP << " was not built";
#else
        GTEST_SKIP() << "the help file is not built here (MNEMORA_BUILD_HELP is off)";
#endif
    }

    static Page page(const std::string& path) {
        const auto bytes = help_->read(path);
        if (!bytes) {
            ADD_FAILURE() << path << " is not in the help file";
            return {path, {}, {}};
        }
        std::string html = decodeHelpText(*bytes);
        std::string text = visibleText(html);
        return {path, std::move(html), std::move(text)};
    }

    // The page a topic number opens; fails the test when it opens none or
    // only the start page that unmapped numbers fall back to.
    static Page topic(std::int32_t context) {
        const auto found = help_->lookupTopic(context);
        if (!found) {
            ADD_FAILURE() << context << " opens no page";
            return {};
        }
        EXPECT_NE(found->path, help_->defaultTopic().value_or(TopicName{}).path)
            << context << " falls back to the start page";
        return page(found->path);
    }

    // Every number the program asks help for, in the order of the table.
    static std::vector<std::int32_t> programContexts() {
        std::vector<std::int32_t> contexts{kGeneralHelpContext, kWindowHelpContext};
        for (const MenuEntry& entry : trayPopupEntries()) {
            if (entry.helpContext != 0) {
                contexts.push_back(entry.helpContext);
            }
        }
        for (std::int32_t i = 0; i < 100; ++i) {
            contexts.push_back(4000 + 10 * i);
        }
        contexts.push_back(kChartHelpContext);
        for (const ToneColumn& column : kToneColumns) {
            contexts.push_back(column.helpContext);
        }
        return contexts;
    }

    static std::vector<ContentsEntry> contents() {
        const auto hhc = help_->contentsFile();
        EXPECT_TRUE(hhc) << "the help file has no contents";
        const auto bytes = hhc ? help_->read(*hhc) : std::nullopt;
        return bytes ? parseContents(*bytes) : std::vector<ContentsEntry>{};
    }

    static inline std::unique_ptr<ChmArchive> help_;
};

// The headers as every reader expects them (the build mends what the
// compiler writes): nothing is left to put right.
TEST_F(ShippedHelp, HeadersNeedNoMending) {
#ifdef MNEMORA_SHIPPED_HELP
    std::ifstream in(MNEMORA_SHIPPED_HELP, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string shipped = bytes;
    const auto mend = mendChmHeaders(bytes);
    ASSERT_TRUE(mend) << "not a help file the mender can read";
    EXPECT_FALSE(mend->secondGuid);
    EXPECT_FALSE(mend->firstListingChunk);
    EXPECT_EQ(bytes, shipped);
#endif
}

TEST_F(ShippedHelp, EveryTopicNumberOfTheProgramOpensAPageOfItsOwn) {
    const std::vector<std::int32_t> contexts = programContexts();
    ASSERT_EQ(contexts.size(), 2u + 32u + 100u + 1u + 24u);  // lists, 2030 and 3000 from the menu
    std::map<std::string, std::int32_t> pageOf;
    for (std::int32_t context : contexts) {
        const Page shown = topic(context);
        EXPECT_FALSE(shown.text.empty()) << context;
        const auto [it, fresh] = pageOf.emplace(shown.path, context);
        EXPECT_TRUE(fresh) << context << " and " << it->second << " share " << shown.path;
    }
}

TEST_F(ShippedHelp, ListPagesNameTheListByItsSectionAndWindowCaption) {
    int lists = 0;
    const auto entries = trayPopupEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != MenuKind::Session) {
            continue;
        }
        ++lists;
        const Page shown = topic(entries[i].helpContext);
        EXPECT_THAT(shown.text, HasSubstr("Мнемора (Версия 1.01) " + captionPath(i)))
            << entries[i].helpContext;
        EXPECT_THAT(shown.text, HasSubstr("[List" + std::to_string(entries[i].tag) + "]"))
            << entries[i].helpContext;
        // How to walk it: the gate's two prompts and the four buttons as shown.
        for (const char* words : {"Вспомните другой случай.", "Вспомните самый ранний случай.",
                                  "«>»", "«<»", "«Закончить»", "«Пояснение»"}) {
            EXPECT_THAT(shown.text, HasSubstr(words)) << entries[i].helpContext;
        }
    }
    EXPECT_EQ(lists, kListCount);
}

TEST_F(ShippedHelp, SensesGroupPageLeadsToEachOfItsLists) {
    const std::size_t group = *findEntry("NT31");
    const Page shown = topic(trayPopupEntries()[group].helpContext);
    EXPECT_THAT(shown.text, HasSubstr("Список 3. Ориентация чувств."));
    std::set<std::string> linked;
    for (const std::string& link : links(shown.html)) {
        linked.insert(resolveLink(shown.path, link));
    }
    int members = 0;
    const auto entries = trayPopupEntries();
    for (std::size_t i = group + 1; i < entries.size() && entries[i].depth > entries[group].depth;
         ++i) {
        if (entries[i].kind == MenuKind::Session) {
            ++members;
            const auto target = help_->lookupTopic(entries[i].helpContext);
            ASSERT_TRUE(target);
            EXPECT_TRUE(linked.count(target->path)) << target->path;
        }
    }
    EXPECT_EQ(members, 12);
}

TEST_F(ShippedHelp, ColumnPagesCarryTheTitleTheChartShowsAsTheHint) {
    for (const ToneColumn& column : kToneColumns) {
        const Page shown = topic(column.helpContext);
        EXPECT_THAT(shown.text, HasSubstr("Столбец " + std::to_string(column.number) + ". " +
                                          std::string(column.title)));
    }
}

TEST_F(ShippedHelp, EachPerceptionNumberNamesThePerceptionThatOpensIt) {
    for (std::int32_t i = 0; i < 100; ++i) {
        const Page shown = topic(4000 + 10 * i);
        EXPECT_THAT(shown.text,
                    HasSubstr("Номер этой страницы — " + std::to_string(4000 + 10 * i)));
        EXPECT_THAT(shown.text, HasSubstr("под ключом " + std::to_string(i) + " раздела [Disk]"));
    }
}

TEST_F(ShippedHelp, WindowPagesDescribeTheWindowsThatAskForThem) {
    EXPECT_THAT(topic(kGeneralHelpContext).text, HasSubstr("Как работать с Мнеморой"));
    const Page windows = topic(kWindowHelpContext);
    for (const char* caption :
         {"Главное окно", "«Параметры»", "«О программе»", "Невозможно считать файл данных"}) {
        EXPECT_THAT(windows.text, HasSubstr(caption));
    }
    const Page params = topic(*menuHelpContext(*findEntry("NT8"), std::nullopt));
    for (const char* caption :
         {"Общие настройки", "Месторасположение данных", "Показывать заставку",
          "одинарном щелчке мыши", "Файл данных", "Файлы отчетов"}) {
        EXPECT_THAT(params.text, HasSubstr(caption));
    }
    const Page chart = topic(kChartHelpContext);
    for (const char* caption : {"Шкала тонов.", "Как работать с таблицей тонов", "Файл → Создать",
                                "Сначала нужно создать новый тест Файл/Создать."}) {
        EXPECT_THAT(chart.text, HasSubstr(caption));
    }
}

TEST_F(ShippedHelp, NumbersWithoutAPageOpenTheStartPage) {
    const auto start = help_->defaultTopic();
    ASSERT_TRUE(start);
    EXPECT_THAT(page(start->path).text, HasSubstr("Справка Мнеморы"));
    const auto opens = [](std::int32_t context) {
        return help_->lookupTopic(context).value_or(TopicName{}).path;
    };
    for (std::int32_t context : {0, 1, 999, 2310, 4000 + 10 * 125, 6000, -1}) {
        EXPECT_EQ(opens(context), start->path) << context;
    }
    // What the perception page promises for perceptions past the hundredth:
    // their numbers are the chart's.
    EXPECT_EQ(opens(4000 + 10 * 100), opens(kChartHelpContext));
    EXPECT_EQ(opens(4000 + 10 * 124), opens(columnHelpContext(24)));
}

TEST_F(ShippedHelp, ContentsTreeHoldsEveryTopicButThePerceptionCopies) {
    std::set<std::string> inTree;
    const std::vector<ContentsEntry> tree = contents();
    for (const ContentsEntry& entry : tree) {
        EXPECT_FALSE(entry.name.empty());
        if (!entry.local.empty()) {
            const std::string path = resolveLink("/", entry.local);
            EXPECT_TRUE(help_->contains(path)) << entry.name << " -> " << entry.local;
            inTree.insert(path);
        }
    }
    for (std::int32_t context : programContexts()) {
        const auto found = help_->lookupTopic(context);
        ASSERT_TRUE(found);
        if (context >= 4000 && context < 5000) {
            continue;  // each is perception.htm with its own number, and that one is in the tree
        }
        EXPECT_TRUE(inTree.count(found->path)) << context << " " << found->path;
    }
    EXPECT_TRUE(inTree.count("/perception.htm"));
}

TEST_F(ShippedHelp, StyleSheetIsWithinTheBoundsOfTheHelpWindow) {
    const auto css = help_->read("/style.css");
    ASSERT_TRUE(css);
    EXPECT_TRUE(styleWithinBounds(*css));
}

TEST_F(ShippedHelp, EveryPageIsRussianAndEveryLinkLeadsInsideTheFile) {
    std::deque<std::string> toVisit;
    for (std::int32_t context : programContexts()) {
        toVisit.push_back(help_->lookupTopic(context)->path);
    }
    toVisit.push_back(help_->defaultTopic()->path);
    std::set<std::string> visited;
    while (!toVisit.empty()) {
        const std::string path = toVisit.front();
        toVisit.pop_front();
        if (!visited.insert(path).second) {
            continue;
        }
        const Page shown = page(path);
        // The compiled pages are Windows-1251 and say so, which is what a
        // help viewer goes by; decoded, they hold Russian text and nothing
        // that a wrong code page would leave behind.
        EXPECT_EQ(declaredCharset(*help_->read(path)), "windows-1251") << path;
        // Well inside every bound the help window puts on a page.
        EXPECT_EQ(preparePage(*help_->read(path)).refusal, PageRefusal::None) << path;
        std::size_t cyrillic = 0;
        std::size_t pos = 0;
        while (pos < shown.text.size()) {
            const auto cp = decodeUtf8(shown.text, pos);
            ASSERT_TRUE(cp) << path << " is not valid text";
            if (*cp >= 0x0410 && *cp <= 0x044F) {
                ++cyrillic;
            }
            EXPECT_FALSE(*cp == 0xFFFD || (*cp >= 0x00C0 && *cp <= 0x00FF && *cp != 0x00D7))
                << path << " holds U+" << std::hex << static_cast<std::uint32_t>(*cp);
        }
        EXPECT_GT(cyrillic, 200u) << path;

        for (const std::string& link : links(shown.html)) {
            ASSERT_EQ(link.find(':'), std::string::npos) << path << " links outside: " << link;
            const std::size_t hash = link.find('#');
            const std::string file = link.substr(0, hash);
            const std::string target = file.empty() ? path : resolveLink(path, file);
            ASSERT_TRUE(help_->contains(target)) << path << " links to a missing " << link;
            if (hash != std::string::npos) {
                const std::string anchor = "name=\"" + link.substr(hash + 1) + "\"";
                EXPECT_THAT(page(target).html, HasSubstr(anchor)) << path << " -> " << link;
            }
            if (target.ends_with(".htm")) {
                toVisit.push_back(target);
            }
        }
    }
    // Every page reached, the unlinked perception copies included.
    EXPECT_GE(visited.size(), 1u + 2u + 31u + 1u + 1u + 100u + 1u + 24u);
}

}  // namespace
}  // namespace mnemora

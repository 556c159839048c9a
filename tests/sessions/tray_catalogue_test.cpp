#include "sessions/tray_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "temp_dir.h"

namespace mnemora {
namespace {

// Just enough of a window to read back what ClickSession made of an item.
class CaptionView : public SessionView {
public:
    std::string caption;
    int helpContext = 0;
    void setHeaderText(const std::string&) override {}
    void setQuestionText(const std::string& t) override { question = t; }
    std::string questionText() const override { return question; }
    void setPerceptionText(const std::string&) override {}
    void setWindowCaption(const std::string& t) override { caption = t; }
    void setWindowHelpContext(int c) override { helpContext = c; }
    void showWindow() override {}
    void hideWindow() override {}
    void setActionNextEnabled(bool) override {}
    void setActionPriorEnabled(bool) override {}
    void setActionBreakEnabled(bool) override {}
    void setActionHelpContextEnabled(bool) override {}
    void setNT10Enabled(bool) override {}
    void informationBox(const std::string&) override {}
    Answer errorQuestion(const std::string&, int) override { return Answer::Cancel; }

private:
    std::string question;
};

class PathSettings : public SessionSettings {
public:
    explicit PathSettings(std::string p) : path(std::move(p)) {}
    std::string dataFile() const override { return path; }
    void setDefaultPaths() override {}
    void saveSettings() override {}
    std::string path;
};

struct ListRow {
    int list;
    const char* item;
    const char* path;
    int help;
};

// Every list as the user sees it begun: menu item, caption path, help topic.
const ListRow kLists[] = {
    {1, "NT11", "/Список 1. Общие случаи.", 2000},
    {2, "NT113", "/Список 2. Ориентация во времени./Часть 1", 2010},
    {3, "NT28", "/Список 2. Ориентация во времени./Часть 2", 2020},
    {4, "NT12", "/Список 3. Ориентация чувств./1. Чувство времени", 2040},
    {5, "NT13", "/Список 3. Ориентация чувств./2. Зрение", 2050},
    {6, "NT14", "/Список 3. Ориентация чувств./3. Относительные размеры", 2060},
    {7, "NT15", "/Список 3. Ориентация чувств./4. Слух", 2070},
    {8, "NT114", "/Список 3. Ориентация чувств./5. Обоняние/Часть 1", 2080},
    {9, "NT29", "/Список 3. Ориентация чувств./5. Обоняние/Часть 2", 2090},
    {10, "NT17", "/Список 3. Ориентация чувств./6. Осязание", 2100},
    {11, "NT18", "/Список 3. Ориентация чувств./7. Собственные эмоции", 2110},
    {12, "NT19", "/Список 3. Ориентация чувств./8. Органическое ощущение", 2120},
    {13, "NT20", "/Список 3. Ориентация чувств./9. Собственное движение", 2130},
    {14, "NT22", "/Список 3. Ориентация чувств./10. Внешнее движение", 2140},
    {15, "NT23", "/Список 3. Ориентация чувств./11. Положение тела", 2150},
    {16, "NT41", "/Список 4. Стандартный процессинг.", 2160},
    {17, "NT51", "/Список 5. Улучшение памяти.", 2170},
    {18, "NT61", "/Список 6. Раздел для забывчивых.", 2180},
    {19, "NT71", "/Список 7. Факторы выживания.", 2190},
    {20, "NT81", "/Список 8. Воображение.", 2200},
    {21, "NT110", "/Список 9. Валенты./Часть 1", 2210},
    {22, "NT24", "/Список 9. Валенты./Часть 2", 2220},
    {23, "NT101", "/Список 10. Прерывания.", 2230},
    {24, "NT111", "/Список 11. Обесценивание.", 2240},
    {25, "NT121", "/Список 12. Природные воздействия.", 2250},
    {26, "NT112", "/Специальные списки./1. Неприятные ощущения.", 2260},
    {27, "NT26", "/Специальные списки./2. Печаль.", 2270},
    {28, "NT32", "/Специальные списки./3. Неудобство.", 2280},
    {29, "NT42", "/Специальные списки./4. Стабилизация.", 2290},
    {30, "NT27", "/Список для завершения сессии.", 2300},
};

TEST(TrayCatalogue, EveryListBeginsWithItsNumberHelpTopicAndCaptionPath) {
    const std::string data = std::string(MNEMORA_SOURCE_DIR) + "/examples/Mnemora.ini";
    for (const ListRow& row : kLists) {
        SCOPED_TRACE(row.item);
        const auto index = findEntry(row.item);
        ASSERT_TRUE(index.has_value());
        EXPECT_EQ(sessionEntryForList(row.list), *index);
        const MenuItemData item = sessionItemData(*index);
        EXPECT_EQ(item.Tag, row.list);
        EXPECT_EQ(item.HelpContext, row.help);

        CaptionView view;
        PathSettings settings(data);
        RandomGenerator random;
        SessionEngine engine(view, settings, random);
        engine.ClickSession(item);
        EXPECT_EQ(engine.listNumber(), row.list);
        EXPECT_EQ(view.caption, std::string(SessionEngine::kBaseCaption) + row.path);
        EXPECT_EQ(view.helpContext, row.help);
    }
}

TEST(TrayCatalogue, ListHelpContextsLeave2030ToTheGroupItem) {
    auto help = [](int list) { return sessionItemData(sessionEntryForList(list)).HelpContext; };
    EXPECT_EQ(help(1), 2000);
    EXPECT_EQ(help(3), 2020);
    EXPECT_EQ(help(4), 2040);  // 2030 belongs to the group item
    EXPECT_EQ(help(30), 2300);
}

TEST(TrayCatalogue, ListNumbersAreOneToThirtyEachOnce) {
    std::set<int> tags;
    int sessions = 0;
    for (const MenuEntry& e : trayPopupEntries()) {
        if (e.kind == MenuKind::Session) {
            ++sessions;
            tags.insert(e.tag);
        } else {
            EXPECT_EQ(e.tag, 0) << e.name;
        }
    }
    EXPECT_EQ(sessions, 30);
    ASSERT_EQ(tags.size(), 30u);
    EXPECT_EQ(*tags.begin(), 1);
    EXPECT_EQ(*tags.rbegin(), 30);
}

TEST(TrayCatalogue, TopLevelAndSessionBranchInOrder) {
    std::vector<std::string> top, session;
    const auto entries = trayPopupEntries();
    const std::size_t nt9 = *findEntry("NT9");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].depth == 0) {
            top.emplace_back(entryCaption(i));
        } else if (parentEntry(i) == nt9) {
            session.emplace_back(entryCaption(i));
        }
    }
    EXPECT_EQ(top, (std::vector<std::string>{"&Сессии", "&Заполнение тестов", "&Настройка", "&Помощь", "-",
                                             "&Выход"}));
    EXPECT_EQ(session, (std::vector<std::string>{"&Начать", "-", "<", ">", "&Закончить", "-", "П&ояснение"}));
}

TEST(TrayCatalogue, ActionsKeepTheirCaptionsAndStartStates) {
    std::vector<std::string> names;
    for (const ActionInfo& a : mainActions()) {
        names.emplace_back(a.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ActionExit", "ActionAbout", "ActionHelp", "ActionParams",
                                               "ActionNext", "ActionPrior", "ActionBreak", "ActionHelpContext",
                                               "ActionEditTest"}));
    for (ActionId off : {ActionId::Next, ActionId::Prior, ActionId::Break, ActionId::HelpContext}) {
        EXPECT_FALSE(actionInfo(off).enabledAtStart) << actionInfo(off).name;
    }
    EXPECT_TRUE(actionInfo(ActionId::EditTest).enabledAtStart);
    EXPECT_EQ(entryCaption(*findEntry("N40")), "&Выход");
    EXPECT_EQ(entryCaption(*findEntry("NT8")), "&Параметры");
}

TEST(TrayMenuHelp, ItemWithoutContextTakesNearestEnclosingOne) {
    EXPECT_EQ(menuHelpContext(*findEntry("NT16"), 1010), 2030);  // "&5. Обоняние"
    EXPECT_EQ(menuHelpContext(*findEntry("NT114"), 1010), 2080);
    EXPECT_EQ(menuHelpContext(*findEntry("NT8"), 1010), 3000);
    EXPECT_EQ(menuHelpContext(*findEntry("NT31"), std::nullopt), 2030);
}

TEST(TrayMenuHelp, NoContextOnTheWayFallsBackToTheActiveWindow) {
    EXPECT_EQ(menuHelpContext(*findEntry("NT21"), 1010), 1010);
    EXPECT_EQ(menuHelpContext(*findEntry("N3"), 2050), 2050);
    EXPECT_EQ(menuHelpContext(*findEntry("N40"), 0), 0);  // even when the window's is 0
    EXPECT_EQ(menuHelpContext(*findEntry("NT9"), std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace mnemora

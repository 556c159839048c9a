#include "sessions/tray_catalogue.h"

#include <array>
#include <cassert>
#include <stdexcept>

namespace mnemora {

namespace {

constexpr std::array kActions{
    ActionInfo{ActionId::Exit, "ActionExit", "&Выход", true},
    ActionInfo{ActionId::About, "ActionAbout", "&О программе", true},
    ActionInfo{ActionId::Help, "ActionHelp", "&Вызов помощи", true},
    ActionInfo{ActionId::Params, "ActionParams", "&Параметры", true},
    ActionInfo{ActionId::Next, "ActionNext", ">", false},
    ActionInfo{ActionId::Prior, "ActionPrior", "<", false},
    ActionInfo{ActionId::Break, "ActionBreak", "&Закончить", false},
    ActionInfo{ActionId::HelpContext, "ActionHelpContext", "П&ояснение", false},
    ActionInfo{ActionId::EditTest, "ActionEditTest", "&Заполнение тестов", true},
};

constexpr MenuEntry sub(std::string_view name, int depth, std::string_view caption, int help = 0) {
    return {name, depth, MenuKind::Submenu, caption, 0, help, ActionId::Exit};
}
constexpr MenuEntry list(std::string_view name, int depth, std::string_view caption, int tag, int help) {
    return {name, depth, MenuKind::Session, caption, tag, help, ActionId::Exit};
}
constexpr MenuEntry act(std::string_view name, int depth, ActionId id, int help = 0) {
    return {name, depth, MenuKind::Action, {}, 0, help, id};
}
constexpr MenuEntry sep(std::string_view name, int depth) {
    return {name, depth, MenuKind::Separator, "-", 0, 0, ActionId::Exit};
}

constexpr std::array kEntries{
    sub("NT9", 0, "&Сессии"),
    sub("NT10", 1, "&Начать"),
    list("NT11", 2, "Список &1. Общие случаи.", 1, 2000),
    sub("NT21", 2, "Список &2. Ориентация во времени."),
    list("NT113", 3, "Часть &1", 2, 2010),
    list("NT28", 3, "Часть &2", 3, 2020),
    sub("NT31", 2, "Список &3. Ориентация чувств.", 2030),
    list("NT12", 3, "&1. Чувство времени", 4, 2040),
    list("NT13", 3, "&2. Зрение", 5, 2050),
    list("NT14", 3, "&3. Относительные размеры", 6, 2060),
    list("NT15", 3, "&4. Слух", 7, 2070),
    sub("NT16", 3, "&5. Обоняние"),
    list("NT114", 4, "Часть &1", 8, 2080),
    list("NT29", 4, "Часть &2", 9, 2090),
    list("NT17", 3, "&6. Осязание", 10, 2100),
    list("NT18", 3, "&7. Собственные эмоции", 11, 2110),
    list("NT19", 3, "&8. Органическое ощущение", 12, 2120),
    list("NT20", 3, "&9. Собственное движение", 13, 2130),
    list("NT22", 3, "10. &Внешнее движение", 14, 2140),
    list("NT23", 3, "11. &Положение тела", 15, 2150),
    list("NT41", 2, "Список &4. Стандартный процессинг.", 16, 2160),
    list("NT51", 2, "Список &5. Улучшение памяти.", 17, 2170),
    list("NT61", 2, "Список &6. Раздел для забывчивых.", 18, 2180),
    list("NT71", 2, "Список &7. Факторы выживания.", 19, 2190),
    list("NT81", 2, "Список &8. Воображение.", 20, 2200),
    sub("NT91", 2, "Список &9. Валенты."),
    list("NT110", 3, "Часть &1", 21, 2210),
    list("NT24", 3, "Часть &2", 22, 2220),
    list("NT101", 2, "Список 10. &Прерывания.", 23, 2230),
    list("NT111", 2, "Список 11. &Обесценивание.", 24, 2240),
    list("NT121", 2, "Список 12. П&риродные воздействия.", 25, 2250),
    sub("NT25", 2, "&Специальные списки."),
    list("NT112", 3, "&1. Неприятные ощущения.", 26, 2260),
    list("NT26", 3, "&2. Печаль.", 27, 2270),
    list("NT32", 3, "&3. Неудобство.", 28, 2280),
    list("NT42", 3, "&4. Стабилизация.", 29, 2290),
    list("NT27", 2, "Список для &завершения сессии.", 30, 2300),
    sep("N1", 1),
    act("N2", 1, ActionId::Prior),
    act("N3", 1, ActionId::Next),
    act("N4", 1, ActionId::Break),
    sep("N6", 1),
    act("N5", 1, ActionId::HelpContext),
    act("N7", 0, ActionId::EditTest),
    sub("NT7", 0, "&Настройка"),
    act("NT8", 1, ActionId::Params, 3000),
    sub("NT3", 0, "&Помощь"),
    act("NT6", 1, ActionId::Help),
    sep("NT5", 1),
    act("NT4", 1, ActionId::About),
    sep("N39", 0),
    act("N40", 0, ActionId::Exit),
};

}  // namespace

std::span<const ActionInfo> mainActions() { return kActions; }

const ActionInfo& actionInfo(ActionId id) {
    for (const auto& a : kActions) {
        if (a.id == id) {
            return a;
        }
    }
    throw std::logic_error("unknown action");
}

std::span<const MenuEntry> trayPopupEntries() { return kEntries; }

std::optional<std::size_t> parentEntry(std::size_t index) {
    const int depth = kEntries.at(index).depth;
    for (std::size_t i = index; i-- > 0;) {
        if (kEntries[i].depth < depth) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findEntry(std::string_view name) {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].name == name) {
            return i;
        }
    }
    return std::nullopt;
}

std::string_view entryCaption(std::size_t index) {
    const MenuEntry& e = kEntries.at(index);
    return e.kind == MenuKind::Action ? actionInfo(e.action).caption : e.caption;
}

MenuItemData sessionItemData(std::size_t index) {
    const MenuEntry& e = kEntries.at(index);
    MenuItemData data;
    data.Tag = e.tag;
    data.HelpContext = e.helpContext;
    data.Caption = std::string(entryCaption(index));
    if (auto parent = parentEntry(index)) {
        data.ParentCaption = std::string(entryCaption(*parent));
        if (auto grand = parentEntry(*parent)) {
            data.GrandparentCaption = std::string(entryCaption(*grand));
        }
    }
    return data;
}

std::size_t sessionEntryForList(int list) {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].kind == MenuKind::Session && kEntries[i].tag == list) {
            return i;
        }
    }
    throw std::out_of_range("no such list");
}

std::optional<int> menuHelpContext(std::size_t index, std::optional<int> activeWindowContext) {
    for (std::optional<std::size_t> i = index; i; i = parentEntry(*i)) {
        if (kEntries[*i].helpContext != 0) {
            return kEntries[*i].helpContext;
        }
    }
    return activeWindowContext;
}

}  // namespace mnemora

#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "sessions/session_engine.h"

namespace mnemora {

// The nine actions of the main window, in their order.
enum class ActionId { Exit, About, Help, Params, Next, Prior, Break, HelpContext, EditTest };

struct ActionInfo {
    ActionId id;
    std::string_view name;
    std::string_view caption;
    bool enabledAtStart;
};

std::span<const ActionInfo> mainActions();
const ActionInfo& actionInfo(ActionId id);

enum class MenuKind { Submenu, Session, Action, Separator };

// One item of the tray menu. Depth 0 is the top level; an item belongs to the
// nearest item above it with a smaller depth.
struct MenuEntry {
    std::string_view name;
    int depth;
    MenuKind kind;
    std::string_view caption;  // empty for items that show their action's caption
    int tag;
    int helpContext;
    ActionId action;           // only for MenuKind::Action
};

inline constexpr int kListCount = 30;

// The whole tray menu in order: the one table that builds it.
std::span<const MenuEntry> trayPopupEntries();

// Index of the enclosing item, or nullopt for a top-level item.
std::optional<std::size_t> parentEntry(std::size_t index);
std::optional<std::size_t> findEntry(std::string_view name);
// The caption the item shows: its own, or its action's.
std::string_view entryCaption(std::size_t index);

// What a chosen list item hands to the session engine.
MenuItemData sessionItemData(std::size_t index);
// The menu item that begins list n (1 to 30).
std::size_t sessionEntryForList(int list);

// F1 on a highlighted item: its own context, else the nearest enclosing
// item's, else the active window's; nothing when no window is active.
std::optional<int> menuHelpContext(std::size_t index, std::optional<int> activeWindowContext);

}  // namespace mnemora

#pragma once

// TrayPopup as a native pop-up menu, built from the catalogue each time it
// opens, and the way back from what the menu reports to catalogue entries.

#include <cstddef>
#include <functional>
#include <optional>

#include "win32/common/ui.h"

namespace mnemora::win32 {

// Each catalogue entry's item (submenu items too) carries this command id,
// clear of the dialog ids and of the main window's controls.
inline constexpr UINT kTrayMenuFirstCommand = 0x1000;
UINT trayMenuCommand(std::size_t entry);
// The entry a command id stands for; nullopt for ids that are not the menu's.
std::optional<std::size_t> trayMenuEntry(UINT command);

// The whole menu in the catalogue's order, "&" keys and separators kept;
// an item is greyed when `enabled(entry)` says no. Every item knows its
// entry, and every submenu the entry that opens it. The caller destroys it.
HMENU buildTrayMenu(const std::function<bool(std::size_t entry)>& enabled);
// Owns a built menu and destroys it, submenus and all.
class MenuHandle {
  public:
    explicit MenuHandle(HMENU menu) : menu_(menu) {}
    ~MenuHandle() {
        if (menu_ != nullptr) {
            DestroyMenu(menu_);
        }
    }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    [[nodiscard]] HMENU get() const { return menu_; }

  private:
    HMENU menu_;
};

// The entry of an item of a built menu, by its position or by its command
// id (WM_MENUSELECT reports submenu items by position, others by id).
std::optional<std::size_t> trayMenuItemEntry(HMENU menu, UINT item, bool byPosition);
// The entry whose submenu this is; nullopt for the top level and for menus
// that are not TrayPopup's.
std::optional<std::size_t> trayMenuOpener(HMENU menu);

}  // namespace mnemora::win32

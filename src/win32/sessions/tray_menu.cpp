#include "win32/sessions/tray_menu.h"

#include <string>
#include <vector>

#include "sessions/tray_catalogue.h"

namespace mnemora::win32 {

namespace {

// Item data and menu data hold the entry plus one, so that 0 means "none".
ULONG_PTR entryData(std::size_t entry) {
    return static_cast<ULONG_PTR>(entry) + 1;
}

std::optional<std::size_t> dataEntry(ULONG_PTR data) {
    if (data == 0 || data > trayPopupEntries().size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(data - 1);
}

}  // namespace

UINT trayMenuCommand(std::size_t entry) {
    return kTrayMenuFirstCommand + static_cast<UINT>(entry);
}

std::optional<std::size_t> trayMenuEntry(UINT command) {
    if (command < kTrayMenuFirstCommand ||
        command - kTrayMenuFirstCommand >= trayPopupEntries().size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(command - kTrayMenuFirstCommand);
}

HMENU buildTrayMenu(const std::function<bool(std::size_t entry)>& enabled) {
    const auto entries = trayPopupEntries();
    HMENU top = CreatePopupMenu();
    // menus[d] receives the items of depth d.
    std::vector<HMENU> menus{top};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MenuEntry& e = entries[i];
        menus.resize(static_cast<std::size_t>(e.depth) + 1);
        const std::wstring caption = wtext(entryCaption(i));
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE | MIIM_STATE;
        item.wID = trayMenuCommand(i);
        item.dwItemData = entryData(i);
        item.fState = enabled(i) ? MFS_ENABLED : MFS_GRAYED;
        if (e.kind == MenuKind::Separator) {
            item.fType = MFT_SEPARATOR;
        } else {
            item.fType = MFT_STRING;
            item.fMask |= MIIM_STRING;
            item.dwTypeData = const_cast<wchar_t*>(caption.c_str());
        }
        if (e.kind == MenuKind::Submenu) {
            HMENU sub = CreatePopupMenu();
            MENUINFO info{};
            info.cbSize = sizeof info;
            info.fMask = MIM_MENUDATA;
            info.dwMenuData = entryData(i);
            SetMenuInfo(sub, &info);
            item.fMask |= MIIM_SUBMENU;
            item.hSubMenu = sub;
            menus.push_back(sub);
        }
        HMENU into = menus[static_cast<std::size_t>(e.depth)];
        InsertMenuItemW(into, static_cast<UINT>(GetMenuItemCount(into)), TRUE, &item);
    }
    return top;
}

std::optional<std::size_t> trayMenuItemEntry(HMENU menu, UINT item, bool byPosition) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    if (menu == nullptr || GetMenuItemInfoW(menu, item, byPosition ? TRUE : FALSE, &info) == 0) {
        return std::nullopt;
    }
    return dataEntry(info.dwItemData);
}

std::optional<std::size_t> trayMenuOpener(HMENU menu) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_MENUDATA;
    if (menu == nullptr || GetMenuInfo(menu, &info) == 0) {
        return std::nullopt;
    }
    return dataEntry(info.dwMenuData);
}

}  // namespace mnemora::win32

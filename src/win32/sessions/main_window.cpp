#include "win32/sessions/main_window.h"

#include <algorithm>
#include <utility>

#include "sessions/band_splitter.h"
#include "sessions/tray_catalogue.h"
#include "win32/sessions/tray_menu.h"

namespace mnemora::win32 {

namespace {

// A command waiting in the queue (defer).
constexpr UINT kDeferredCommand = WM_APP + 1;

constexpr int kQuestBand96 = 57;
constexpr int kButtonBand96 = 41;
constexpr int kSplitterHeight96 = 3;
constexpr int kQuestMinimum96 = 24;
constexpr int kButtonMinimum96 = 30;

struct ButtonPlace {
    int id;
    int x96;
    ActionId action;
};
// Also the tab order.
constexpr std::array<ButtonPlace, 4> kButtons{{
    {kButtonLast, 8, ActionId::Prior},
    {kButtonNext, 96, ActionId::Next},
    {kButtonBreak, 184, ActionId::Break},
    {kButton1, 272, ActionId::HelpContext},
}};

std::size_t actionIndex(ActionId id) {
    return static_cast<std::size_t>(id);
}

}  // namespace

TForm1::TForm1(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random)
    : help_(help), itemEnabled_(trayPopupEntries().size(), true) {
    for (const ActionInfo& info : mainActions()) {
        actionEnabled_[actionIndex(info.id)] = info.enabledAtStart;
    }
    create(L"MnemoraMain", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
           SessionEngine::kBaseCaption, 574, 338);
    createControls();
    // The presenter fills the controls as it starts, so they exist first.
    presenter_ = std::make_unique<MainPresenter>(*this, settings, help, random);
}

TForm1::~TForm1() {
    // The children go with the window while this object is still whole.
    if (hwnd() != nullptr) {
        DestroyWindow(hwnd());
    }
}

void TForm1::createControls() {
    const HWND form = hwnd();
    questHeight_ = scaled(kQuestBand96);
    buttonHeight_ = scaled(kButtonBand96);

    Panel_Quest = std::make_unique<Panel>(form, kPanelQuest, true, form);
    Label1 = std::make_unique<Label>(Panel_Quest->hwnd(), kLabel1, 8, 11, Label::Fit::ToText);
    Label1->setText("Восприятие:");
    Label_O = std::make_unique<Label>(Panel_Quest->hwnd(), kLabelO, 76, 11, Label::Fit::ToText);
    TFont bold;
    bold.PixelsPerInch = screenDpi();
    bold.SetSize(8);
    bold.Charset = RUSSIAN_CHARSET;
    bold.Style.bold = true;
    bold.Style.underline = true;
    perceptionFont_.reset(createFont(bold));
    Label_O->setFont(perceptionFont_.font());
    Label_O->setCursor(LoadCursorW(nullptr, IDC_HELP));
    Label_O->onClick = [this] { presenter_->Edit_OClick(); };
    {
        // A substitute face may be wider than the one the place was made
        // for; the perception keeps a gap after "Восприятие:".
        RECT caption;
        GetWindowRect(Label1->hwnd(), &caption);
        MapWindowPoints(nullptr, Panel_Quest->hwnd(), reinterpret_cast<POINT*>(&caption), 2);
        const int x = std::max<int>(scaled(76), caption.right + scaled(6));
        SetWindowPos(Label_O->hwnd(), nullptr, x, scaled(11), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Label_Quest =
        std::make_unique<Label>(Panel_Quest->hwnd(), kLabelQuest, 8, 32, Label::Fit::ToText);

    Splitter2 = std::make_unique<Splitter>(form, kSplitter2, true);
    Splitter2->bandHeight = [this] { return questHeight_; };
    Splitter2->dragBandTo = [this](int requested) {
        dragBand(Panel_Quest->hwnd(), questHeight_, kQuestMinimum96, requested);
    };

    Label_Text = std::make_unique<Label>(form, kLabelText, 0, 0, Label::Fit::Fill);
    Label_Text->onContextMenu = [this](POINT at) { popupTrayMenu(at); };

    Splitter1 = std::make_unique<Splitter>(form, kSplitter1, false);
    Splitter1->bandHeight = [this] { return buttonHeight_; };
    Splitter1->dragBandTo = [this](int requested) {
        dragBand(Panel_Button->hwnd(), buttonHeight_, kButtonMinimum96, requested);
    };

    Panel_Button = std::make_unique<Panel>(form, kPanelButton, true, form);
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ButtonPlace& b = kButtons[i];
        buttons_[i] = createControl(Panel_Button->hwnd(), L"BUTTON", actionInfo(b.action).caption,
                                    WS_TABSTOP | BS_PUSHBUTTON, b.x96, 8, 75, 25, b.id);
        EnableWindow(buttons_[i], actionEnabled_[actionIndex(b.action)] ? TRUE : FALSE);
    }
    layout();
}

void TForm1::layout() {
    if (!Panel_Button) {
        return;  // still being created
    }
    RECT client;
    GetClientRect(hwnd(), &client);
    const int width = client.right;
    const int height = client.bottom;
    const int bar = scaled(kSplitterHeight96);
    const int textTop = questHeight_ + bar;
    const int textHeight = std::max(0, height - questHeight_ - buttonHeight_ - 2 * bar);
    HDWP moves = BeginDeferWindowPos(5);
    const auto place = [&](HWND w, int y, int h) {
        moves = DeferWindowPos(moves, w, nullptr, 0, y, width, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(Panel_Quest->hwnd(), 0, questHeight_);
    place(Splitter2->hwnd(), questHeight_, bar);
    place(Label_Text->hwnd(), textTop, textHeight);
    place(Splitter1->hwnd(), textTop + textHeight, bar);
    place(Panel_Button->hwnd(), textTop + textHeight + bar, buttonHeight_);
    EndDeferWindowPos(moves);
}

void TForm1::dragBand(HWND band, int& height, int minimum96, int requested) {
    RECT text;
    GetClientRect(Label_Text->hwnd(), &text);
    height = bandHeightWhileDragging(requested, scaled(minimum96), height + text.bottom);
    layout();
    InvalidateRect(band, nullptr, FALSE);
}

bool TForm1::entryEnabled(std::size_t entry) const {
    const MenuEntry& e = trayPopupEntries()[entry];
    return e.kind == MenuKind::Action ? actionEnabled_[actionIndex(e.action)] : itemEnabled_[entry];
}

void TForm1::popupTrayMenu(POINT at) {
    if (menuOpen_) {
        return;  // one menu at a time
    }
    const MenuHandle menu(buildTrayMenu([this](std::size_t entry) { return entryEnabled(entry); }));
    menuOpen_ = true;
    menuItemHelpSeen_ = false;
    highlighted_.reset();
    // A menu only closes on a click elsewhere when its owner is in front;
    // the posted WM_NULL lets it close at once the second time too.
    SetForegroundWindow(hwnd());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                       hwnd(), nullptr));
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    menuOpen_ = false;
    highlighted_.reset();
    if (chosen != 0) {
        // The item's handler runs from the queue, after the menu is gone.
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    }
}

void TForm1::command(UINT id) {
    const auto entry = trayMenuEntry(id);
    if (!entry) {
        return;
    }
    // A command that waited in the queue counts only while its item, and
    // the branch it is on, can still be chosen.
    for (std::optional<std::size_t> i = entry; i; i = parentEntry(*i)) {
        if (!entryEnabled(*i)) {
            return;
        }
    }
    const MenuEntry& e = trayPopupEntries()[*entry];
    if (e.kind == MenuKind::Session) {
        presenter_->sessionItemChosen(*entry);
    } else if (e.kind == MenuKind::Action) {
        presenter_->actionExecuted(e.action);
    }
}

void TForm1::menuSelect(UINT item, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && menu == nullptr) {
        highlighted_.reset();  // the menu closed
        return;
    }
    auto entry = trayMenuItemEntry(menu, item, (flags & MF_POPUP) != 0);
    highlighted_ = entry ? entry : trayMenuOpener(menu);
}

void TForm1::menuHelp(const HELPINFO& info) {
    std::optional<std::size_t> entry;
    if (info.iCtrlId == -1) {
        // Only "a menu is open", sent besides the menu's own notice on some
        // systems: that one has answered already, else what was highlighted.
        if (menuItemHelpSeen_) {
            return;
        }
        entry = highlighted_;
    } else {
        menuItemHelpSeen_ = true;
        entry = trayMenuEntry(static_cast<UINT>(info.iCtrlId));
        if (!entry) {
            // Nothing highlighted in the menu that had the key: it stands
            // for the item that opened it.
            entry = trayMenuOpener(static_cast<HMENU>(info.hItemHandle));
        }
    }
    HWND active = GetActiveWindow();
    const std::optional<int> activeContext =
        active != nullptr ? std::optional<int>(static_cast<int>(GetWindowContextHelpId(active)))
                          : std::nullopt;
    const std::optional<int> context =
        entry ? menuHelpContext(*entry, activeContext) : activeContext;
    if (context) {
        help_.HelpContext(*context);
    }
}

void TForm1::keepFocusOnAnEnabledControl() {
    HWND focus = GetFocus();
    if (focus != nullptr && IsWindowEnabled(focus) != 0) {
        return;
    }
    if (GetActiveWindow() != hwnd()) {
        return;
    }
    // A button greyed under the focus would leave F1 and Tab nowhere to go.
    for (HWND b : buttons_) {
        if (IsWindowEnabled(b) != 0) {
            SetFocus(b);
            return;
        }
    }
    SetFocus(hwnd());
}

void TForm1::setHeaderText(const std::string& text) {
    Label_Quest->setText(text);
}

void TForm1::setQuestionText(const std::string& text) {
    Label_Text->setText(text);
}

std::string TForm1::questionText() const {
    return Label_Text->text();
}

void TForm1::setPerceptionText(const std::string& text) {
    Label_O->setText(text);
}

void TForm1::setWindowCaption(const std::string& text) {
    setWindowText(hwnd(), text);
}

void TForm1::setWindowHelpContext(int context) {
    setHelpContext(hwnd(), context);
}

void TForm1::showWindow() {
    ShowWindow(hwnd(), IsIconic(hwnd()) != 0 ? SW_RESTORE : SW_SHOW);
    BringWindowToTop(hwnd());
    SetForegroundWindow(hwnd());
}

void TForm1::hideWindow() {
    ShowWindow(hwnd(), SW_HIDE);
}

void TForm1::setActionEnabled(ActionId action, bool enabled) {
    actionEnabled_[actionIndex(action)] = enabled;
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        if (kButtons[i].action == action && buttons_[i] != nullptr) {
            EnableWindow(buttons_[i], enabled ? TRUE : FALSE);
            keepFocusOnAnEnabledControl();
        }
    }
}

void TForm1::setMenuItemEnabled(std::string_view name, bool enabled) {
    if (const auto entry = findEntry(name)) {
        itemEnabled_[*entry] = enabled;
    }
}

void TForm1::closeWindow() {
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TForm1::defer(std::function<void()> command) {
    deferred_.push_back(std::move(command));
    PostMessageW(hwnd(), kDeferredCommand, 0, 0);
}

void TForm1::applyQuestionAppearance(const TFont& font, TColor background) {
    questionFont_.reset(createFont(font));
    Label_Text->setFont(questionFont_.font());
    Label_Text->setColors(colorRef(font.Color), colorRef(background));
}

LRESULT TForm1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (presenter_) {
                if (wParam == SIZE_MINIMIZED) {
                    if (!minimized_) {
                        minimized_ = true;
                        guarded([this] { presenter_->windowMinimized(); });
                    }
                } else if (minimized_) {
                    minimized_ = false;
                    guarded([this] { presenter_->windowUnminimized(IsWindowVisible(hwnd()) != 0); });
                }
            }
            layout();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                lastFocus_ = focus != nullptr && IsChild(hwnd(), focus) != 0 ? focus : nullptr;
            } else if (lastFocus_ != nullptr && IsWindowEnabled(lastFocus_) != 0) {
                SetFocus(lastFocus_);
            } else {
                keepFocusOnAnEnabledControl();
            }
            return 0;
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            if (lParam == 0) {
                guarded([&] { command(id); });
            } else if (HIWORD(wParam) == BN_CLICKED) {
                for (const ButtonPlace& b : kButtons) {
                    if (static_cast<UINT>(b.id) == id) {
                        guarded([&] { presenter_->actionExecuted(b.action); });
                    }
                }
            }
            return 0;
        }
        case WM_MENUSELECT:
            // These messages carry a handle or a pointer in lParam.
            menuSelect(LOWORD(wParam), HIWORD(wParam),
                       reinterpret_cast<HMENU>(lParam));  // NOLINT(performance-no-int-to-ptr)
            return 0;
        case WM_HELP: {
            const auto* info =
                reinterpret_cast<const HELPINFO*>(lParam);  // NOLINT(performance-no-int-to-ptr)
            if (info != nullptr && info->iContextType == HELPINFO_MENUITEM) {
                guarded([&] { menuHelp(*info); });
            }
            return TRUE;
        }
        case kDeferredCommand:
            if (!deferred_.empty()) {
                std::function<void()> next = std::move(deferred_.front());
                deferred_.pop_front();
                guarded(next);
            }
            return 0;
        case WM_CLOSE:
            // The close query decides; a close it allows ends the program.
            guarded([this] {
                if (presenter_->FormCloseQuery()) {
                    ShowWindow(hwnd(), SW_HIDE);
                }
            });
            return 0;
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace mnemora::win32

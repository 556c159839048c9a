#pragma once

#include "win32/common/ui.h"

namespace mnemora::win32 {

// A plain child window that holds controls or paints itself: a page of a
// tab control, a panel. What it does is all in its messageHook, which its
// owner sets; unhandled messages take the default way.
class ChildHost : public Window {
  public:
    // At x, y in the parent, sizes at 96 pixels per inch. WS_EX_CONTROLPARENT
    // lets Tab and the "&" keys reach the controls inside.
    ChildHost(HWND parent, DWORD style, int x96, int y96, int width96, int height96,
              DWORD exStyle = WS_EX_CONTROLPARENT);
};

// Notifications of the controls inside a host go to the host's own parent,
// so that one window procedure handles every control of a window.
bool forwardToParent(HWND host, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace mnemora::win32

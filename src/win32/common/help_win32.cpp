#include "win32/common/help_win32.h"

#include "win32/common/ui.h"

namespace mnemora::win32 {

// Placeholder until help reaches the system's viewer.
Win32HelpPlatform::Win32HelpPlatform() = default;
Win32HelpPlatform::~Win32HelpPlatform() = default;
bool Win32HelpPlatform::shiftDown() const { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
void Win32HelpPlatform::plainMessage(const std::string& text) { messageBoxes().plain(text); }
void Win32HelpPlatform::htmlHelp(std::string_view /*file*/, std::uint32_t /*command*/, std::int32_t /*data*/) {}

}  // namespace mnemora::win32

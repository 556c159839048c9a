#pragma once

#include "common/help_hook.h"

namespace mnemora::win32 {

// Help through the system's HTML Help viewer (HtmlHelpW of hhctrl.ocx),
// with the help file beside the program.
class Win32HelpPlatform : public HelpPlatform {
  public:
    Win32HelpPlatform();
    ~Win32HelpPlatform() override;
    Win32HelpPlatform(const Win32HelpPlatform&) = delete;
    Win32HelpPlatform& operator=(const Win32HelpPlatform&) = delete;

    [[nodiscard]] bool shiftDown() const override;
    void plainMessage(const std::string& text) override;
    void htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) override;
};

}  // namespace mnemora::win32

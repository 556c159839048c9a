#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mnemora {

inline constexpr std::string_view kHelpFileName = "vantero.chm";
inline constexpr std::uint16_t kHelpContextCommand = 1;
inline constexpr std::uint32_t kHtmlHelpContextCommand = 0x000F;

// Topic numbers the program asks for.
inline constexpr int kGeneralHelpContext = 1000;
inline constexpr int kWindowHelpContext = 1010;

// What the hook needs of the desktop.
class HelpPlatform {
public:
    virtual ~HelpPlatform() = default;
    // Is a Shift key down in the input being handled?
    [[nodiscard]] virtual bool shiftDown() const = 0;
    // Modal box captioned with the application title, one OK button, no icon.
    virtual void plainMessage(const std::string& text) = 0;
    // Hands the request to the help viewer; its result is of no interest.
    virtual void htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) = 0;
};

std::string helpDiagnosticText(std::uint16_t command, std::int32_t data);

// The one handler of every help request of the program.
class TMyHLPObject {
public:
    explicit TMyHLPObject(HelpPlatform& platform) : platform_(platform) {}

    bool HelpHook(std::uint16_t command, std::int32_t data, bool& callHelp);

    // The application's side: help by context is command 1 with the context.
    bool InvokeHelp(std::uint16_t command, std::int32_t data);
    bool HelpContext(std::int32_t context) { return InvokeHelp(kHelpContextCommand, context); }

private:
    HelpPlatform& platform_;
};

// F1 in a window: the first non-zero context from the focused control out to
// the window (innermost first); nothing when all are zero.
std::optional<int> windowHelpContext(std::span<const int> focusChain);

}  // namespace mnemora

#include "common/help_hook.h"

namespace mnemora {

std::string helpDiagnosticText(std::uint16_t command, std::int32_t data) {
    return "Вызов Command=" + std::to_string(command) + ", ID=" + std::to_string(data);
}

bool TMyHLPObject::HelpHook(std::uint16_t command, std::int32_t data, bool& callHelp) {
    if (platform_.shiftDown()) {
        platform_.plainMessage(helpDiagnosticText(command, data));
    }
    // Whatever the command, the viewer is asked for the context in the data.
    platform_.htmlHelp(kHelpFileName, kHtmlHelpContextCommand, data);
    callHelp = false;
    return true;
}

bool TMyHLPObject::InvokeHelp(std::uint16_t command, std::int32_t data) {
    bool callHelp = true;
    return HelpHook(command, data, callHelp);
}

std::optional<int> windowHelpContext(std::span<const int> focusChain) {
    for (int context : focusChain) {
        if (context != 0) {
            return context;
        }
    }
    return std::nullopt;
}

}  // namespace mnemora

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mnemora {

// Window captions made from menu captions show no keyboard marks at all.
std::string removeAmpersands(std::string_view caption);

// How a label shows a caption: "&" underlines the next character and is not
// shown, "&&" shows one "&", a "&" at the very end shows nothing.
struct MnemonicText {
    std::string text;                      // what is drawn, UTF-8
    std::vector<std::size_t> underlined;   // indices of underlined characters (code points)
};
MnemonicText parseMnemonic(std::string_view caption);

}  // namespace mnemora

#include "platform/path_text.h"

namespace mnemora {

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    const std::u8string text(utf8.begin(), utf8.end());
    std::filesystem::path path(text);
    return path;
}

std::string pathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    std::string utf8(text.begin(), text.end());
    return utf8;
}

}  // namespace mnemora

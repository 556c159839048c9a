#include "core/caption.h"

#include "core/cp1251.h"

namespace mnemora {

std::string removeAmpersands(std::string_view caption) {
    std::string out;
    out.reserve(caption.size());
    for (char c : caption) {
        if (c != '&') {
            out += c;
        }
    }
    return out;
}

MnemonicText parseMnemonic(std::string_view caption) {
    MnemonicText out;
    std::size_t chars = 0;
    std::size_t pos = 0;
    bool underlineNext = false;
    while (pos < caption.size()) {
        if (caption[pos] == '&' && !underlineNext) {
            if (pos + 1 < caption.size() && caption[pos + 1] == '&') {
                out.text += '&';
                ++chars;
                pos += 2;
                continue;
            }
            underlineNext = true;
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        if (!decodeUtf8(caption, pos)) {
            pos = start + 1;  // a stray byte is shown as it is
        }
        if (underlineNext) {
            out.underlined.push_back(chars);
            underlineNext = false;
        }
        out.text.append(caption.substr(start, pos - start));
        ++chars;
    }
    return out;
}

}  // namespace mnemora
